#pragma once
// Parameters persisted property by property: every published property is one
// value of the program's registry key, named as the property, ordinal kinds
// as integers and everything else as strings.

#include "platform/TPersistent.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform {
class TRegistry;
}

namespace data {

// The key of the settings, the search conditions and the proxy values under
// HKEY_CURRENT_USER.
inline constexpr std::string_view TesselRegKey = "Software\\Corvane\\Tessel";

class TCustomParams : public platform::TPersistent {
public:
    // True when the key is absent (the first run): nothing is read. Otherwise
    // each published property with a stored value takes it; properties
    // without one keep their current value, and so do those whose stored
    // value cannot be taken (the wrong kind, no 32-bit number), which are
    // noted for the user (platform::TRegistry::TakeSkippedValues). A
    // settings file that cannot be read counts as no key at all.
    virtual bool LoadFromRegistry();
    // Writes the published properties, creating the key when it is missing:
    // after a load, only those whose value changed since the load or the
    // last save, and the others only where the file lacks them; so a value
    // another copy of the program saved meanwhile, or one the load passed
    // over, stays as it is until this object's own value changes. Without a
    // load, every property. Throws platform::ERegistryException when the
    // settings file cannot be written; the file is then as it was.
    virtual void SaveToRegistry();

protected:
    // Takes the current values as the ones the file holds (see SaveToRegistry).
    void NoteStoredValues();

private:
    // Each published property's value when last loaded or saved, in
    // published order (ordinals in decimal); empty before a load.
    std::vector<std::string> m_stored;
};

// Copies every published property of Dest that Source also has (same name,
// letter case counting; the first such property of Source), ordinal kinds as
// integers and the rest as strings. Properties of Dest that Source lacks, or
// whose kind differs there, keep their values.
void CopyProperties(platform::TPersistent& Dest, const platform::TPersistent& Source);

} // namespace data
