#include "data/TCustomParams.h"

#include "platform/TRegistry.h"

#include <QtGlobal>

namespace data {

using platform::ERegistryException;
using platform::TPersistent;
using platform::TRegistry;

namespace {

void ReadProperties(const TRegistry& reg, TPersistent& object) {
    for (const auto& p : object.PublishedProperties()) {
        if (!reg.ValueExists(p.Name)) continue;
        // A value stored with the wrong kind (a hand-edited file) is passed
        // over, so one bad value cannot stop the program from starting.
        try {
            if (p.IsOrdinal())
                p.SetOrd(object, reg.ReadInteger(p.Name));
            else
                p.SetStr(object, reg.ReadString(p.Name));
        } catch (const ERegistryException& e) {
            qWarning("Setting skipped: %s", e.what());
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
