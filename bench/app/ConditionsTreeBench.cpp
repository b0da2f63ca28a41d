// What a user waits for when the conditions form appears or its page
// changes: both trees built from a settings file with every kind of stored
// condition. With cars chosen, the extended tree reads the car makes from the
// site at once; here the local site answers, so the time is the program's
// own plus one request on the loopback.
#include "WidgetBenchMain.h"
#include "app/ConditionsSettings.h"
#include "app/forms/TfrmConditions.h"
#include "data/TdmFriend.h"
#include "platform/HttpConnection.h"
#include "platform/ProgramDir.h"
#include "search/TVelmora.h"
#include "support/ConfigHome.h"
#include "support/TempDir.h"
#include "support/site/LocalSite.h"

#include <QApplication>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct Setup {
    testsupport::ConfigHome config;
    testsupport::TempDir dir;
    testsupport::LocalSite site;
    std::unique_ptr<data::TdmFriend> dm;
    search::TVelmora engine;

    // Writes the settings file, then starts the data module from it.
    explicit Setup(bool cars) {
        platform::SetProgramDir(dir.path());
        {
            data::TdmFriend writer;
            conditionstest::FillEverySetting(writer.Settings());
            writer.Settings().SetFinderServer(site.Host());
            writer.Settings().SetCar(cars ? "16|54" : "");
            writer.Settings().Save();
        }
        dm = std::make_unique<data::TdmFriend>();
    }
    ~Setup() { platform::SetProgramDir({}); }
};

void BuildBothTrees(benchmark::State& state, bool cars) {
    Setup setup(cars);
    app::TfrmConditions form;
    form.SetEngine(&setup.engine);
    form.SetCarCatalogueFallbackHost(setup.site.Host());
    for (auto _ : state) {
        setup.dm->Settings().Load();
        form.BuildTree(form.tvSearch);
        form.BuildTree(form.tvExSearch);
        benchmark::DoNotOptimize(form.tvExSearch->topLevelItemCount());
    }
    state.counters["nodes"] = double(form.tvExSearch->topLevelItemCount());
}

void BM_BuildBothTrees(benchmark::State& state) { BuildBothTrees(state, false); }
void BM_BuildBothTrees_CarsFromLocalSite(benchmark::State& state) { BuildBothTrees(state, true); }
BENCHMARK(BM_BuildBothTrees)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildBothTrees_CarsFromLocalSite)->Unit(benchmark::kMillisecond);

void BM_TreeToParams(benchmark::State& state) {
    Setup setup(false);
    app::TfrmConditions form;
    form.SetEngine(&setup.engine);
    form.BuildTree(form.tvExSearch);
    for (auto _ : state) form.TreeToParams(form.tvExSearch);
}
BENCHMARK(BM_TreeToParams)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
