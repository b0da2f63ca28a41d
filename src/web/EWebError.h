#pragma once
// The web library's exception, carrying the library's fixed texts
// (for example "Empty URL").

#include <stdexcept>
#include <string>

class EWebError : public std::runtime_error {
public:
    explicit EWebError(const std::string& message) : std::runtime_error(message) {}
};
