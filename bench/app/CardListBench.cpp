// What a user waits for on the favourites' card page: a page of 50 cards
// built from the table, and a click that expands a card (building its
// expanded layout the first time) and collapses the one open before.
#include "WidgetBenchMain.h"
#include "app/controls/TChatPerson.h"
#include "app/controls/TChatPersonList.h"
#include "data/TFriend.h"

#include <QApplication>
#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace {

void FillTable(data::TFriend& table, int count) {
    table.Open();
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        table.AddFriend("Имя " + n, "login" + n, "http://site.example/p" + n, "Москва", 20 + i % 30, i % 2, i % 3,
                        i % 7, i % 4, 0, "");
    }
}

// A card list of the favourites page's size, shown over a table of 120.
struct TShownList {
    data::TFriend table;
    app::TChatPersonList list;
    TShownList() {
        FillTable(table, 120);
        list.resize(686, 385);
        list.show();
        list.SetFriend(&table);
    }
};

void BM_ShowPageOfFifty(benchmark::State& state) {
    TShownList shown;
    app::TChatPersonList& list = shown.list;
    for (auto _ : state) {
        list.ShowPage(-1);
        // The cards of the page before are freed from the event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        benchmark::DoNotOptimize(list.Count());
    }
}
BENCHMARK(BM_ShowPageOfFifty)->Unit(benchmark::kMillisecond);

void BM_ExpandAnotherCard(benchmark::State& state) {
    TShownList shown;
    app::TChatPersonList& list = shown.list;
    list.ShowPage(-1);
    int next = 0;
    for (auto _ : state) {
        // A card whose expanded layout may not exist yet, as on a fresh page.
        app::TChatPerson* card = list.Person(next);
        card->OnPersonClick(*card);
        next = (next + 7) % list.Count();
    }
}
BENCHMARK(BM_ExpandAnotherCard)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
