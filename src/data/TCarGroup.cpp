#include "data/TCarGroup.h"

#include "data/TCustomParams.h"
#include "platform/TRegistry.h"

#include <set>
#include <vector>

namespace data {
namespace {

struct CarRow {
    std::string id, name, model;
};

std::string ValueName(std::string_view prefix, size_t index) {
    return std::string(prefix) + std::to_string(index);
}

// The string value `name`, or false when it is missing or not a string.
bool ReadStringValue(const platform::TRegistry& reg, const std::string& name, std::string& value) {
    if (reg.GetDataType(name) != platform::TRegDataType::String) return false;
    value = reg.ReadString(name);
    return true;
}

// The rows of the open cars' key, as TCarGroup::LoadFromRegistry takes them.
std::vector<CarRow> ReadRows(const platform::TRegistry& reg) {
    std::vector<CarRow> rows;
    const size_t valueCount = reg.GetValueNames().size();
    // A stray value means the key was not written by SaveToRegistry: trust none of it.
    if (valueCount % 3 != 0) return rows;
    for (size_t i = 0; i < valueCount / 3; ++i) {
        CarRow row;
        if (ReadStringValue(reg, ValueName("CarID", i), row.id) && ReadStringValue(reg, ValueName("CarName", i), row.name) &&
            ReadStringValue(reg, ValueName("CarModel", i), row.model))
            rows.push_back(std::move(row));
    }
    return rows;
}

// The rows read from the open cars' key with the models `changed` by make
// name (in the first row of the name, the one lookups read), then the rows
// of `mine` whose makes the key lacks; what the key held besides is left out.
std::vector<CarRow> MergedRows(const platform::TRegistry& reg, const std::map<std::string, std::string>& changed,
                               const std::vector<CarRow>& mine) {
    std::vector<CarRow> rows = ReadRows(reg);
    std::set<std::string> listed;
    for (CarRow& row : rows)
        if (const auto it = changed.find(row.name); listed.insert(row.name).second && it != changed.end())
            row.model = it->second;
    for (const CarRow& row : mine)
        if (!listed.contains(row.name)) rows.push_back(row);
    return rows;
}

} // namespace

TCarGroup::TCarGroup() : TConditionGroup(TUnopened{}) {
    Open();
}

void TCarGroup::InitFieldDefs() {
    TConditionGroup::InitFieldDefs();
    FieldDefs().Add("Model", 100, true);
}

std::string TCarGroup::RegistryKey() {
    return std::string(TesselRegKey) + "\\" + std::string(RegistrySubKey);
}

pugi::xml_node TCarGroup::AddCar(std::string_view id, std::string_view Comment, std::string_view Condition,
                                 std::string_view Model) {
    const pugi::xml_node record = AddCondition(id, Comment, Condition);
    SetNodeText(record, "Model", Model);
    return record;
}

std::string TCarGroup::GetId(int index) const { return NodeText(RecordNode(index), "id"); }

std::string TCarGroup::GetComment(int index) const { return NodeText(RecordNode(index), "Comment"); }

std::string TCarGroup::GetModel(int index) const { return NodeText(RecordNode(index), "Model"); }

void TCarGroup::SetModel(int index, std::string_view Model) { SetNodeText(RecordNode(index), "Model", Model); }

std::string TCarGroup::GetModelByComment(std::string_view Comment) const {
    for (int i = 0; i < RecordCount(); ++i)
        if (NodeText(RecordNode(i), "Comment") == Comment) return GetModel(i);
    return {};
}

void TCarGroup::SaveToRegistry() {
    std::vector<CarRow> mine;
    std::map<std::string, std::string> changed;
    std::set<std::string> seen;
    for (int i = 0; i < RecordCount(); ++i) {
        CarRow row{GetId(i), GetComment(i), GetModel(i)};
        if (seen.insert(row.name).second) {
            const auto stored = m_storedModels.find(row.name);
            if (row.model != (stored != m_storedModels.end() ? stored->second : std::string()))
                changed.emplace(row.name, row.model);
        }
        mine.push_back(std::move(row));
    }
    if (changed.empty()) return;

    platform::TRegistry reg;
    reg.SetRootKey(platform::TRegistryRoot::CurrentUser);
    reg.OpenKey(RegistryKey(), true);
    // Worked out on the file as it is when written, so that a model another
    // copy saved since this table was read is kept.
    reg.EditOnClose([changed = std::move(changed), mine = std::move(mine)](platform::TRegistry& key) {
        const std::vector<CarRow> rows = MergedRows(key, changed, mine);
        for (const std::string& name : key.GetValueNames()) key.DeleteValue(name);
        for (size_t i = 0; i < rows.size(); ++i) {
            key.WriteString(ValueName("CarID", i), rows[i].id);
            key.WriteString(ValueName("CarName", i), rows[i].name);
            key.WriteString(ValueName("CarModel", i), rows[i].model);
        }
    });
    reg.CloseKey();
    NoteStoredModels();
}

void TCarGroup::LoadFromRegistry() {
    platform::TRegistry reg;
    reg.SetRootKey(platform::TRegistryRoot::CurrentUser);
    if (reg.OpenKey(RegistryKey(), false))
        for (const CarRow& row : ReadRows(reg)) AddCar(row.id, row.name, "", row.model);
    NoteStoredModels();
}

void TCarGroup::NoteStoredModels() {
    m_storedModels.clear();
    for (int i = 0; i < RecordCount(); ++i) m_storedModels.emplace(GetComment(i), GetModel(i));
}

} // namespace data
