#pragma once
// A small in-memory dataset for the dataset layer's tests: rows of strings,
// modifiable on request, recording what the base asked of it.

#include "platform/db/TDataSet.h"
#include "platform/db/TDataLink.h"
#include "platform/db/TField.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// `op` fails with a database error of exactly `text`.
inline void ExpectError(const std::function<void()>& op, const char* text) {
    try {
        op();
        ADD_FAILURE() << "no error, expected: " << text;
    } catch (const db::EDatabaseError& e) {
        EXPECT_STREQ(e.what(), text);
    }
}

class MemDataSet : public db::TDataSet {
public:
    struct FieldSpec {
        std::string name;
        int size;
    };

    MemDataSet(std::vector<FieldSpec> fields, std::vector<std::vector<std::string>> rows, bool modifiable = false)
        : rows(std::move(rows)), m_specs(std::move(fields)), m_modifiable(modifiable) {}

    std::vector<std::vector<std::string>> rows;
    int initFieldDefsCalls = 0;

protected:
    void InitFieldDefs() override {
        ++initFieldDefsCalls;
        for (const auto& f : m_specs) FieldDefs().Add(f.name, f.size, true);
    }
    int InternalRecordCount() const override { return static_cast<int>(rows.size()); }
    std::string InternalFieldText(int recordIndex, const db::TField& field) const override {
        const int def = FieldDefs().IndexOf(field.FieldName());
        return rows[static_cast<size_t>(recordIndex)][static_cast<size_t>(def)];
    }
    bool GetCanModify() const override { return m_modifiable; }
    void InternalPost(int recordIndex, bool inserting) override {
        std::vector<std::string> row(m_specs.size());
        for (int i = 0; i < FieldCount(); ++i) {
            const db::TField& field = Fields(i);
            if (!field.Lookup()) row[static_cast<size_t>(FieldDefs().IndexOf(field.FieldName()))] = PendingText(field);
        }
        if (inserting)
            rows.insert(rows.begin() + recordIndex, std::move(row));
        else
            rows[static_cast<size_t>(recordIndex)] = std::move(row);
    }
    void InternalDelete(int recordIndex) override { rows.erase(rows.begin() + recordIndex); }

private:
    std::vector<FieldSpec> m_specs;
    bool m_modifiable;
};

// A data link that writes down every notification it receives, as text.
class RecordingLink : public db::TDataLink {
public:
    std::vector<std::string> events;
    // Text a control holds for the first field, handed over on UpdateData.
    std::string pendingText;

    std::vector<std::string> Take() { return std::exchange(events, {}); }

protected:
    void ActiveChanged() override { events.push_back(Active() ? "active" : "inactive"); }
    void DataSetChanged() override { events.push_back("changed"); }
    void DataSetScrolled(int distance) override { events.push_back("scrolled " + std::to_string(distance)); }
    void RecordChanged(db::TField* field) override {
        events.push_back("record " + (field ? field->FieldName() : std::string("*")));
    }
    void LayoutChanged() override { events.push_back("layout"); }
    void EditingChanged() override { events.push_back(Editing() ? "editing" : "browsing"); }
    void UpdateData() override {
        events.push_back("update data");
        if (!pendingText.empty()) DataSet()->Fields(0).SetAsString(std::exchange(pendingText, {}));
    }
};

} // namespace testsupport
