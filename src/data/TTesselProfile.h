#pragma once
// The login profile the program works with, resolved from the settings or
// from a row of "Profiles.xml" (TdmFriend::GetActiveProfile).

#include "data/TTesselProxyParams.h"

#include <string>

namespace data {

class TTesselProfile {
public:
    std::string Login;
    // In clear text.
    std::string Password;
    // The account's folder for "Ignore.xml" and the folder list's tables;
    // empty = the data folder.
    std::string LocalDir;
    // Starts cleared: no proxy.
    TTesselProxyParams ProxyParams;
};

} // namespace data
