#pragma once
// A client that keeps the error texts it would otherwise drop.

#include "web/TSubmit.h"

#include <string>
#include <vector>

class RecordingSubmit : public TSubmit {
public:
    std::vector<std::string> errors;

    std::string AllErrors() const {
        std::string all;
        for (const auto& e : errors) all += e + "\n";
        return all;
    }

protected:
    void ReportError(const std::string& text) override { errors.push_back(text); }
};
