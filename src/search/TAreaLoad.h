#pragma once
// One area list (countries, a country's regions, a region's cities or a
// city's metro stations) read from the site's WAP search pages. The engine's
// Load... functions read it waiting for each page; Start reads it without
// the wait, one page after another, each request started when the one
// before has been answered, so the window stays free while the site answers.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class TSubmit;

namespace data {
class TXMLTable;
}

namespace search {

class TAreaLoad {
public:
    // What one load reads: `pageCount` pages of `urlTemplate` ("{page}"
    // stands for the page's number, from 1), whose links of `kind` name the
    // areas; each area is stored as `prefix` + its id + `suffix` in
    // `idField`, its name in `nameField`.
    struct TQuery {
        std::string idField;
        std::string nameField;
        std::string suffix;
        std::string prefix;
        std::string kind;
        int pageCount = 0;
        std::string urlTemplate;
    };
    // The queries of the four levels at the settings' FinderServer. The ids
    // of the parents are stored ids ("3159_4312_0_0"); only their own level's
    // part is used.
    static TQuery Countries(const std::string& idField, const std::string& nameField);
    static TQuery Regions(const std::string& countryId, const std::string& idField, const std::string& nameField);
    static TQuery Cities(const std::string& countryId, const std::string& regionId, const std::string& idField,
                         const std::string& nameField);
    static TQuery MetroStations(const std::string& countryId, const std::string& regionId, const std::string& cityId,
                                const std::string& idField, const std::string& nameField);

    // The address of page `page` (from 1).
    static std::string PageUrl(const TQuery& query, int page);
    // Adds to `table` the areas that the WAP page `page` (its bytes as they
    // came) lists, leaving out names the table holds already. A page with
    // none, or an empty one, adds nothing.
    static void ReadPage(const TQuery& query, std::string_view page, data::TXMLTable& table);

    using TPageEvent = std::function<void(int page, int pageCount)>;
    using TDoneEvent = std::function<void()>;

    TAreaLoad();
    // Gives up a load under way.
    ~TAreaLoad();
    TAreaLoad(const TAreaLoad&) = delete;
    TAreaLoad& operator=(const TAreaLoad&) = delete;

    // Empties `table` and returns at once; the pages are then read into it
    // through the settings' proxy, `onPage` told before each page's request
    // (from within Start for the first). `done` follows the last page, from
    // a later turn of the event loop; a page that fails adds nothing. The
    // table must live until then. Abort, another Start or the load's end
    // gives it up: `done` never comes, and the table keeps the rows read so
    // far.
    void Start(TQuery query, data::TXMLTable& table, TPageEvent onPage, TDoneEvent done);
    // Gives up the load under way at once; nothing otherwise.
    void Abort();
    // Started and not yet done.
    bool Busy() const { return m_table != nullptr; }
    // Why the last page that failed brought nothing (naming the site, or
    // the proxy); empty when every page of the last Start came.
    const std::string& Failure() const { return m_failure; }

private:
    void FetchPage();

    std::unique_ptr<TSubmit> m_client;
    TQuery m_query;
    data::TXMLTable* m_table = nullptr;
    int m_page = 0;
    std::string m_failure;
    TPageEvent m_onPage;
    TDoneEvent m_done;
};

} // namespace search
