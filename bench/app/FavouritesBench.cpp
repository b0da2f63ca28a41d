// What a user waits for on the favourites' table page: the sort orders built
// one tick after each refresh, and a title click that fills the sorted view
// and shows it in the grid, for tables of 1,000 and 10,000 favourites.
#include "WidgetBenchMain.h"
#include "app/forms/FormRegistration.h"
#include "app/forms/TFavouritesIndex.h"
#include "app/forms/TfrmFavourites.h"
#include "data/TFriend.h"
#include "data/TdmFriend.h"
#include "grid/TDBGGridColumns.h"
#include "grid/TMDBGrid.h"
#include "platform/ProgramDir.h"
#include "support/ConfigHome.h"
#include "support/MessageRecorder.h"
#include "support/TempDir.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

void FillTable(data::TFriend& table, int count) {
    table.Open();
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string((i * 7919) % count);
        table.AddFriend("Имя " + n, "login" + n, "http://site.example/p" + n, "Город " + std::to_string(i % 97),
                        18 + i % 50, i % 2, i % 3, i % 40, i % 4, i % 5 == 0, "");
    }
}

void BM_BuildSortOrders(benchmark::State& state) {
    data::TFriend table;
    FillTable(table, int(state.range(0)));
    app::TFavouritesIndex index;
    for (auto _ : state) {
        index.Build(table);
        benchmark::DoNotOptimize(index.Order("Name"));
    }
}
BENCHMARK(BM_BuildSortOrders)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_TitleClickSorts(benchmark::State& state) {
    testsupport::ConfigHome config;
    testsupport::TempDir dir;
    testsupport::MessageRecorder messages;
    platform::SetProgramDir(dir.path());
    {
        data::TdmFriend dm;
        app::RegisterFormClasses();
        FillTable(dm.Friends(), int(state.range(0)));
        dm.Friends().Save();
        app::TfrmFavourites form;
        form.resize(686, 385);
        form.show();
        form.tmrGenIndexTimer();
        int col = 0;
        for (auto _ : state) {
            form.dbgFavouritesTitleClick(form.dbgFavourites->Columns()[col]);
            col = (col + 1) % form.dbgFavourites->Columns().Count();
        }
    }
    platform::SetProgramDir({});
}
BENCHMARK(BM_TitleClickSorts)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
