// libFuzzer target: scraping a result page into candidates. The first byte
// chooses the page layout; the rest is the page. Every candidate must have
// a login, and no login may be taken twice. Requests the scraper makes
// (indirect links) go to a proxy that refuses them at once.
#include "FuzzSupport.h"

#include "data/TdmFriend.h"
#include "search/TVelmora.h"

#include <cstdlib>
#include <memory>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    fuzzsupport::Setup();
    static std::unique_ptr<data::TdmFriend> dm = [] {
        auto made = std::make_unique<data::TdmFriend>();
        auto& proxy = made->Settings().ProxyParams();
        proxy.SetUseProxy(true);
        proxy.SetProxyServer("127.0.0.1");
        proxy.SetProxyPort(1);
        made->Settings().SetPageCount(5);
        return made;
    }();
    static search::TVelmora engine;
    engine.SetHost("site.example");
    engine.SetSiteVersion(data[0] & 1 ? search::TVelmora::svNew : search::TVelmora::svOld);
    engine.SetPageIndex(0);
    engine.Candidates().ClearRecords();
    search::TExtractor& extractor = engine.Extractor(0);
    extractor.SetPageText(fuzzsupport::Text(data + 1, size - 1));
    extractor.ParseResultPage();

    std::set<std::string> logins;
    for (int i = 0; i < engine.Candidates().RecordCount(); ++i) {
        const std::string login = data::TFriend::ReadRecord(engine.Candidates(), i).Login;
        if (login.empty() || !logins.insert(login).second) std::abort();
    }
    return 0;
}
