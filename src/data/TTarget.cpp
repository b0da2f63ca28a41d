#include "data/TTarget.h"

namespace data {

using platform::BooleanField;

constinit const std::array<platform::TPropInfo, 14> TTarget::Properties = {
    BooleanField<TTarget, &TTarget::m_Friendship>("Friendship"),
    BooleanField<TTarget, &TTarget::m_Email>("Email"),
    BooleanField<TTarget, &TTarget::m_Love>("Love"),
    BooleanField<TTarget, &TTarget::m_RegSex>("RegSex"),
    BooleanField<TTarget, &TTarget::m_SomeSex>("SomeSex"),
    BooleanField<TTarget, &TTarget::m_Group>("Group"),
    BooleanField<TTarget, &TTarget::m_Virt>("Virt"),
    BooleanField<TTarget, &TTarget::m_Intim>("Intim"),
    BooleanField<TTarget, &TTarget::m_IntimBuy>("IntimBuy"),
    BooleanField<TTarget, &TTarget::m_Family>("Family"),
    BooleanField<TTarget, &TTarget::m_Child>("Child"),
    BooleanField<TTarget, &TTarget::m_Fiktive>("Fiktive"),
    BooleanField<TTarget, &TTarget::m_Rent>("Rent"),
    BooleanField<TTarget, &TTarget::m_Sport>("Sport"),
};

platform::TPropList TTarget::PublishedProperties() const { return Properties; }

} // namespace data
