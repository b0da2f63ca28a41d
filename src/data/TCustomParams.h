#pragma once
// Parameters persisted property by property: every published property is one
// value of the program's registry key, named as the property, ordinal kinds
// as integers and everything else as strings.

#include "platform/TPersistent.h"

#include <string_view>

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
    // Writes every published property, creating the key when it is missing.
    // Throws platform::ERegistryException when the settings file cannot be
    // written; the file is then as it was.
    virtual void SaveToRegistry();
};

// Copies every published property of Dest that Source also has (same name,
// letter case counting; the first such property of Source), ordinal kinds as
// integers and the rest as strings. Properties of Dest that Source lacks, or
// whose kind differs there, keep their values.
void CopyProperties(platform::TPersistent& Dest, const platform::TPersistent& Source);

} // namespace data
