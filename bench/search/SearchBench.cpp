// A whole search run by the engine's timers against the local site, beside
// its floor: the very same requests (the layout probe, 20 result pages and
// the 200 profile pages they list) made back to back by one TSubmit. The
// site answers every request after 20 ms, and the search's condition (a
// least height) needs every profile page, so the gap between the two is
// what the engine's batching and timer cadence cost. The engine run reports
// its time as a multiple of the floor ("x_floor"). BM_Search_EngineKnownHits
// searches with 1,000 earlier hits in the found list's file, so that every
// save the search makes as it finds hits writes them all again.
#include "data/TdmFriend.h"
#include "platform/HttpConnection.h"
#include "platform/ProgramDir.h"
#include "search/TVelmora.h"
#include "support/ConfigHome.h"
#include "support/MessageRecorder.h"
#include "support/TempDir.h"
#include "support/site/LocalSite.h"
#include "web/TSubmit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int Pages = 20;
constexpr auto Delay = std::chrono::milliseconds(20);

struct Setup {
    testsupport::ConfigHome config;
    testsupport::TempDir dir;
    testsupport::MessageRecorder messages; // the completion message, unseen
    std::unique_ptr<data::TdmFriend> dm;
    testsupport::LocalSite site;
    search::TVelmora engine;
    std::vector<std::string> targets; // what one search asks the site for, in order
    double floorMs = 0;

    Setup() : dm((platform::SetProgramDir(dir.path()), std::make_unique<data::TdmFriend>())) {
        site.Add(testsupport::SiteMember::Samples(Pages * testsupport::LocalSite::PageSize));
        dm->Settings().SetFinderServer(site.Host());
        dm->Settings().SetPageCount(Pages);
        engine.Params().SetStatureMin(170);
        engine.SetFoundFriendsFile((dir / "LoadedFriends.xml").string());
        Search(); // without delay, to learn the requests
        for (const auto& r : site.Requests()) targets.push_back(r.target);
        site.SetDelay(Delay);
    }

    // One search from scratch (no hits known, or `known` earlier hits in the
    // file, loaded first as the program does); its wall time in ms.
    double Search(int known = 0) {
        engine.FoundFriends().ClearRecords();
        std::filesystem::remove(dir / "LoadedFriends.xml");
        for (int i = 0; i < known; ++i) {
            const std::string login = "earlier" + std::to_string(i);
            engine.FoundFriends().AddFriend("Имя " + login, login, "http://site.example/" + login + "/", "Москва", 30,
                                            0, 0, 2, 0, 0, "от 25 до 35");
        }
        if (known > 0) {
            engine.SaveFoundFriends();
            engine.FoundFriends().ClearRecords();
            engine.LoadFoundFriends();
        }
        site.ClearRequests();
        QEventLoop loop;
        engine.OnStop = [&](search::TFinderStateObject&) { loop.quit(); };
        QElapsedTimer clock;
        clock.start();
        engine.Start();
        loop.exec();
        return double(clock.nsecsElapsed()) / 1e6;
    }
};

// Made in main, inside the Qt application that its timers need.
std::unique_ptr<Setup> g_setup;
Setup& TheSetup() { return *g_setup; }

void BM_Search_Floor(benchmark::State& state) {
    Setup& s = TheSetup();
    double totalMs = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        TSubmit submit;
        size_t bytes = 0;
        for (const std::string& target : s.targets) {
            submit.SetURL(s.site.Url(target));
            if (submit.Connect()) bytes += submit.GetString().size();
        }
        submit.Disconnect();
        benchmark::DoNotOptimize(bytes);
        totalMs += double(clock.nsecsElapsed()) / 1e6;
    }
    s.floorMs = totalMs / double(state.iterations());
    state.counters["requests"] = double(s.targets.size());
}

void BM_Search_Engine(benchmark::State& state) {
    Setup& s = TheSetup();
    double totalMs = 0;
    for (auto _ : state) totalMs += s.Search();
    const double ms = totalMs / double(state.iterations());
    state.counters["requests"] = double(s.site.RequestCount());
    state.counters["hits"] = double(s.engine.FoundFriends().RecordCount());
    if (s.floorMs > 0) state.counters["x_floor"] = ms / s.floorMs;
}

void BM_Search_EngineKnownHits(benchmark::State& state) {
    Setup& s = TheSetup();
    double totalMs = 0;
    // Search() times itself from Start; the file is written before.
    for (auto _ : state) totalMs += s.Search(1000);
    const double ms = totalMs / double(state.iterations());
    state.counters["requests"] = double(s.site.RequestCount());
    state.counters["hits"] = double(s.engine.FoundFriends().RecordCount());
    if (s.floorMs > 0) state.counters["x_floor"] = ms / s.floorMs;
}

// The floor first: the engine's run reads its time.
BENCHMARK(BM_Search_Floor)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Search_Engine)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Search_EngineKnownHits)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    platform::InitHttp();
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    g_setup = std::make_unique<Setup>();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_setup.reset();
    platform::SetProgramDir({});
    return 0;
}
