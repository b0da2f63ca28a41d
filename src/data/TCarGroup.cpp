#include "data/TCarGroup.h"

#include "data/TCustomParams.h"
#include "platform/TRegistry.h"

namespace data {
namespace {

std::string ValueName(std::string_view prefix, int index) {
    return std::string(prefix) + std::to_string(index);
}

// The string value `name`, or false when it is missing or not a string.
bool ReadStringValue(const platform::TRegistry& reg, const std::string& name, std::string& value) {
    if (reg.GetDataType(name) != platform::TRegDataType::String) return false;
    value = reg.ReadString(name);
    return true;
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

void TCarGroup::SaveToRegistry() const {
    platform::TRegistry reg;
    reg.SetRootKey(platform::TRegistryRoot::CurrentUser);
    reg.OpenKey(RegistryKey(), true);
    for (const std::string& name : reg.GetValueNames()) reg.DeleteValue(name);
    for (int i = 0; i < RecordCount(); ++i) {
        reg.WriteString(ValueName("CarID", i), GetId(i));
        reg.WriteString(ValueName("CarName", i), GetComment(i));
        reg.WriteString(ValueName("CarModel", i), GetModel(i));
    }
    reg.CloseKey();
}

void TCarGroup::LoadFromRegistry() {
    platform::TRegistry reg;
    reg.SetRootKey(platform::TRegistryRoot::CurrentUser);
    if (!reg.OpenKey(RegistryKey(), false)) return;
    const size_t valueCount = reg.GetValueNames().size();
    // A stray value means the key was not written by SaveToRegistry: trust none of it.
    if (valueCount % 3 != 0) return;
    const int rows = static_cast<int>(valueCount / 3);
    for (int i = 0; i < rows; ++i) {
        std::string id, name, model;
        if (ReadStringValue(reg, ValueName("CarID", i), id) && ReadStringValue(reg, ValueName("CarName", i), name) &&
            ReadStringValue(reg, ValueName("CarModel", i), model))
            AddCar(id, name, "", model);
    }
}

} // namespace data
