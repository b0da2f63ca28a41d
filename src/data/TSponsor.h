#pragma once
// The kinds of material support a search asks for.

#include "data/TPropertyGroup.h"

#include <array>

namespace data {

class TSponsor : public TPropertyGroup {
public:
    // The flags in published order.
    platform::TPropList PublishedProperties() const override;

    bool LookFor() const { return m_LookFor; }
    void SetLookFor(bool value) { m_LookFor = value; }
    bool Iam() const { return m_Iam; }
    void SetIam(bool value) { m_Iam = value; }
    bool No() const { return m_No; }
    void SetNo(bool value) { m_No = value; }

private:
    static const std::array<platform::TPropInfo, 3> Properties;

    bool m_LookFor = false;
    bool m_Iam = false;
    bool m_No = false;
};

} // namespace data
