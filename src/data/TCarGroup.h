#pragma once
// The car makes the site offers, each with the model the user chose for it
// ("" = any model). The table is filled from the site; the chosen makes and
// models are remembered in the registry subkey "CarGroup" of the program's
// key as three string values per row: CarID<i>, CarName<i>, CarModel<i>.

#include "data/TConditionGroup.h"

#include <map>
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

    // Writes the models this table changed since it last read or wrote the
    // registry (by make name; the first row of a name holds the make's
    // model, and a make never read counts as read with any model, "") into
    // the cars' key as the file holds it when written, read then with the
    // settings folder held against every other save: every other make keeps
    // the model the file gives it, so a model another copy of the program
    // chose meanwhile stays. Makes the file lacks are added after its rows;
    // a key whose rows cannot be trusted (see LoadFromRegistry) gets this
    // table's rows instead. Nothing is written when no model changed. Throws
    // platform::ERegistryException when the settings file cannot be
    // written; the file is then as it was.
    void SaveToRegistry();
    // Appends the rows stored in the cars' key. Nothing when the key is
    // missing or when its value count is not a multiple of three; a row whose
    // three values are not all present as strings is passed over. Then notes
    // the models as read (NoteStoredModels). Never raises.
    void LoadFromRegistry();
    // Takes the model each make's row holds now as the one the registry
    // holds for it, as after a read: for a table filled from rows read
    // from the registry.
    void NoteStoredModels();

protected:
    // As a condition group's, then Model 100.
    void InitFieldDefs() override;

private:
    // Each make's model by name when last read or written; empty before.
    std::map<std::string, std::string> m_storedModels;
};

} // namespace data
