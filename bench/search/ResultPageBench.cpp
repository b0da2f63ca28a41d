// Scraping a result page into candidates, as every fetched page of a search
// is: pages of the local site's two layouts (windows-1251, as the site
// serves them) of 10 members (a real page) and 200, next to gumbo building
// its tree of the same page. A page whose entries lack every closing marker
// shows that the scrape stays linear where its walks would not end early.
// An area page of many links shows the same for the area lists.
#include "data/TdmFriend.h"
#include "platform/ProgramDir.h"
#include "platform/Text.h"
#include "search/TAreaLoad.h"
#include "search/TVelmora.h"
#include "support/site/SitePages.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <gumbo.h>

#include <string>

using namespace testsupport;

namespace {

// A result page of `count` sample members (UTF-8).
std::string SitePage(SiteLayout layout, int count) {
    sitepages::ResultListing listing;
    listing.members = SiteMember::Samples(count);
    for (int i = 0; i < count; ++i) listing.members[size_t(i)].id = i + 1;
    listing.total = count;
    listing.pageSize = count;
    listing.query = "s_ty=All";
    return sitepages::ResultPage({layout, "site.example", ""}, listing);
}

// `count` new-layout name links with ages, areas and counts, and no photo
// block or row end anywhere: every detail walk would run to the page's end.
std::string UnclosedPage(int count) {
    std::string page = "<h1>Найдено анкет</h1>\n";
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        page += "<li><a class=\"u-name\" href=\"http://site.example/m" + n + "/?gid=" + n + "\">Имя " + n +
                "</a>,<span>27</span><span>Москва</span><a title=\"VIP\"></a><span>3 фото</span>\n";
    }
    return page;
}

void Scrape(benchmark::State& state, bool newLayout, const std::string& page) {
    search::TVelmora engine;
    engine.SetHost("site.example");
    engine.SetSiteVersion(newLayout ? search::TVelmora::svNew : search::TVelmora::svOld);
    search::TExtractor& extractor = engine.Extractor(0);
    for (auto _ : state) {
        engine.Candidates().ClearRecords();
        extractor.SetPageText(page);
        extractor.ParseResultPage();
    }
    state.counters["candidates"] = engine.Candidates().RecordCount();
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page.size()));
    state.SetComplexityN(state.range(0));
}

void BM_ScrapeResultPage_Ours(benchmark::State& state, SiteLayout layout) {
    Scrape(state, layout == SiteLayout::New, text::Utf8ToCp1251(SitePage(layout, int(state.range(0)))));
}

void BM_ScrapeResultPage_Gumbo(benchmark::State& state, SiteLayout layout) {
    const std::string page = SitePage(layout, int(state.range(0)));
    for (auto _ : state) {
        GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, page.data(), page.size());
        benchmark::DoNotOptimize(output->root);
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page.size()));
}

void BM_ScrapeUnclosedEntries_Ours(benchmark::State& state) {
    Scrape(state, true, "<meta content=\"text/html; charset=utf-8\">" + UnclosedPage(int(state.range(0))));
}

// A WAP country list of `count` links, each a new country.
void BM_ReadAreaPage(benchmark::State& state) {
    std::string page;
    for (int64_t i = 0; i < state.range(0); ++i) {
        const std::string n = std::to_string(i);
        page += "<a href=\"/?area=search&where=Country." + n + "\">Страна " + n + "</a><br>\n";
    }
    const search::TAreaLoad::TQuery query = search::TAreaLoad::Countries("id", "Country");
    data::TXMLTable& table = data::dmFriend().Countries();
    for (auto _ : state) {
        table.ClearRecords();
        search::TAreaLoad::ReadPage(query, page, table);
    }
    state.counters["areas"] = table.RecordCount();
    state.SetComplexityN(state.range(0));
}

BENCHMARK_CAPTURE(BM_ScrapeResultPage_Ours, old, SiteLayout::Old)->Arg(10)->Arg(200);
BENCHMARK_CAPTURE(BM_ScrapeResultPage_Gumbo, old, SiteLayout::Old)->Arg(10)->Arg(200);
BENCHMARK_CAPTURE(BM_ScrapeResultPage_Ours, new, SiteLayout::New)->Arg(10)->Arg(200);
BENCHMARK_CAPTURE(BM_ScrapeResultPage_Gumbo, new, SiteLayout::New)->Arg(10)->Arg(200);
BENCHMARK(BM_ScrapeUnclosedEntries_Ours)->RangeMultiplier(4)->Range(256, 16384)->Complexity(benchmark::oN);
BENCHMARK(BM_ReadAreaPage)->RangeMultiplier(4)->Range(256, 16384)->Complexity(benchmark::oN);

} // namespace

int main(int argc, char** argv) {
    // The data module reads the settings and the program's folder: both
    // point at a folder of this run.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    platform::SetProgramDir(home.path().toStdString());
    QCoreApplication app(argc, argv);
    data::TdmFriend dm;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
