#pragma once
// The sites a search can run against ("FinderServers.xml" in the data
// folder): container "Servers", record "Server", each row one host name
// without scheme or path.

#include "data/TUrlList.h"

namespace data {

class TServer : public TUrlList {
public:
    TServer();

    // Reads the file; a list left without rows (no file, or a file without
    // rows) gets the default server's row, which is not saved by this. A
    // damaged file throws EXMLTable and adds nothing.
    void Load() override;
};

} // namespace data
