#include "data/TCustomParams.h"

#include "platform/TRegistry.h"

namespace data {

using platform::TPersistent;
using platform::TRegistry;

namespace {

void ReadProperties(const TRegistry& reg, TPersistent& object) {
    // A value that cannot be taken (a hand-edited file) is passed over and
    // told, so one bad value cannot stop the program from starting.
    for (const auto& p : object.PublishedProperties()) {
        if (p.IsOrdinal()) {
            if (const auto value = reg.ReadIntegerIfValid(p.Name)) p.SetOrd(object, *value);
        } else if (const auto value = reg.ReadStringIfValid(p.Name)) {
            p.SetStr(object, *value);
        }
    }
}

// A property's value as m_stored keeps it.
std::string StoredForm(const platform::TPropInfo& p, const TPersistent& object) {
    return p.IsOrdinal() ? std::to_string(p.GetOrd(object)) : p.GetStr(object);
}

} // namespace

bool TCustomParams::LoadFromRegistry() {
    TRegistry reg;
    const bool absent = !reg.KeyExists(TesselRegKey);
    if (!absent && reg.OpenKey(TesselRegKey, false)) ReadProperties(reg, *this);
    NoteStoredValues();
    return absent;
}

void TCustomParams::SaveToRegistry() {
    TRegistry reg;
    reg.OpenKey(TesselRegKey, true);
    const platform::TPropList props = PublishedProperties();
    const bool loaded = m_stored.size() == props.size();
    for (size_t i = 0; i < props.size(); ++i) {
        const platform::TPropInfo& p = props[i];
        const bool changed = !loaded || m_stored[i] != StoredForm(p, *this);
        if (p.IsOrdinal())
            changed ? reg.WriteInteger(p.Name, p.GetOrd(*this)) : reg.WriteIntegerIfMissing(p.Name, p.GetOrd(*this));
        else
            changed ? reg.WriteString(p.Name, p.GetStr(*this)) : reg.WriteStringIfMissing(p.Name, p.GetStr(*this));
    }
    reg.CloseKey();
    NoteStoredValues();
}

void TCustomParams::NoteStoredValues() {
    m_stored.clear();
    for (const platform::TPropInfo& p : PublishedProperties()) m_stored.push_back(StoredForm(p, *this));
}

void CopyProperties(TPersistent& Dest, const TPersistent& Source) {
    for (const auto& d : Dest.PublishedProperties()) {
        const platform::TPropInfo* s = platform::FindPropInfo(Source, d.Name);
        if (!s || s->IsOrdinal() != d.IsOrdinal()) continue;
        if (d.IsOrdinal())
            d.SetOrd(Dest, s->GetOrd(Source));
        else
            d.SetStr(Dest, s->GetStr(Source));
    }
}

} // namespace data
