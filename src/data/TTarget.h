#pragma once
// The purposes of acquaintance a search asks for; each name is the id of a row
// of the target vocabulary group (RegSex has no row).

#include "data/TPropertyGroup.h"

#include <array>

namespace data {

class TTarget : public TPropertyGroup {
public:
    // The flags in published order.
    platform::TPropList PublishedProperties() const override;

    bool Friendship() const { return m_Friendship; }
    void SetFriendship(bool value) { m_Friendship = value; }
    bool Email() const { return m_Email; }
    void SetEmail(bool value) { m_Email = value; }
    bool Love() const { return m_Love; }
    void SetLove(bool value) { m_Love = value; }
    bool RegSex() const { return m_RegSex; }
    void SetRegSex(bool value) { m_RegSex = value; }
    bool SomeSex() const { return m_SomeSex; }
    void SetSomeSex(bool value) { m_SomeSex = value; }
    bool Group() const { return m_Group; }
    void SetGroup(bool value) { m_Group = value; }
    bool Virt() const { return m_Virt; }
    void SetVirt(bool value) { m_Virt = value; }
    bool Intim() const { return m_Intim; }
    void SetIntim(bool value) { m_Intim = value; }
    bool IntimBuy() const { return m_IntimBuy; }
    void SetIntimBuy(bool value) { m_IntimBuy = value; }
    bool Family() const { return m_Family; }
    void SetFamily(bool value) { m_Family = value; }
    bool Child() const { return m_Child; }
    void SetChild(bool value) { m_Child = value; }
    bool Fiktive() const { return m_Fiktive; }
    void SetFiktive(bool value) { m_Fiktive = value; }
    bool Rent() const { return m_Rent; }
    void SetRent(bool value) { m_Rent = value; }
    bool Sport() const { return m_Sport; }
    void SetSport(bool value) { m_Sport = value; }

private:
    static const std::array<platform::TPropInfo, 14> Properties;

    bool m_Friendship = false;
    bool m_Email = false;
    bool m_Love = false;
    bool m_RegSex = false;
    bool m_SomeSex = false;
    bool m_Group = false;
    bool m_Virt = false;
    bool m_Intim = false;
    bool m_IntimBuy = false;
    bool m_Family = false;
    bool m_Child = false;
    bool m_Fiktive = false;
    bool m_Rent = false;
    bool m_Sport = false;
};

} // namespace data
