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

void WriteProperties(TRegistry& reg, const TPersistent& object) {
    for (const auto& p : object.PublishedProperties()) {
        if (p.IsOrdinal())
            reg.WriteInteger(p.Name, p.GetOrd(object));
        else
            reg.WriteString(p.Name, p.GetStr(object));
    }
}

} // namespace

bool TCustomParams::LoadFromRegistry() {
    TRegistry reg;
    if (!reg.KeyExists(TesselRegKey)) return true;
    if (reg.OpenKey(TesselRegKey, false)) ReadProperties(reg, *this);
    return false;
}

void TCustomParams::SaveToRegistry() {
    TRegistry reg;
    reg.OpenKey(TesselRegKey, true);
    WriteProperties(reg, *this);
    reg.CloseKey();
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
