#pragma once
// The car makes the site offers, each with the model the user chose for it
// ("" = any model). The table is filled from the site; the chosen makes and
// models are remembered in the registry subkey "CarGroup" of the program's
// key as three string values per row: CarID<i>, CarName<i>, CarModel<i>.

#include "data/TConditionGroup.h"

#include <string>
#include <string_view>

namespace data {

class TCarGroup : public TConditionGroup {
public:
    // The subkey of the program's registry key that holds the chosen cars.
    static constexpr std::string_view RegistrySubKey = "CarGroup";

    // Element names as a condition group's, fields id, Comment, Condition and
    // Model; open at once, empty.
    TCarGroup();

    // The full path of the cars' key under HKEY_CURRENT_USER.
    static std::string RegistryKey();

    // Appends a row and returns its record element.
    pugi::xml_node AddCar(std::string_view id, std::string_view Comment, std::string_view Condition,
                          std::string_view Model);

    // The field of the row at `index` (0-based); "" outside the rows.
    std::string GetId(int index) const;
    std::string GetComment(int index) const;
    std::string GetModel(int index) const;
    // Nothing outside the rows.
    void SetModel(int index, std::string_view Model);
    // The Model of the first row whose Comment equals `Comment` exactly; ""
    // when there is none.
    std::string GetModelByComment(std::string_view Comment) const;

    // Replaces every value of the cars' key (creating it) with the rows of
    // this table. Throws platform::ERegistryException when the settings file
    // cannot be written; the file is then as it was.
    void SaveToRegistry() const;
    // Appends the rows stored in the cars' key. Nothing when the key is
    // missing or when its value count is not a multiple of three; a row whose
    // three values are not all present as strings is passed over. Never
    // raises.
    void LoadFromRegistry();

protected:
    // As a condition group's, then Model 100.
    void InitFieldDefs() override;
};

} // namespace data
