#include "data/TSponsor.h"

namespace data {

using platform::BooleanField;

constinit const std::array<platform::TPropInfo, 3> TSponsor::Properties = {
    BooleanField<TSponsor, &TSponsor::m_LookFor>("LookFor"),
    BooleanField<TSponsor, &TSponsor::m_Iam>("Iam"),
    BooleanField<TSponsor, &TSponsor::m_No>("No"),
};

platform::TPropList TSponsor::PublishedProperties() const { return Properties; }

} // namespace data
