#include "data/TServer.h"

#include "data/DefaultServer.h"

namespace data {

TServer::TServer() {
    SetTopNodeName("Servers");
    SetRecordNodeName("Server");
}

void TServer::Load() {
    TUrlList::Load();
    if (RecordCount() == 0) AddURL(DefaultServerHost);
}

} // namespace data
