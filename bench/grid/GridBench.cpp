// Painting the data grid over a profile table of 100,000 rows beside a
// QTableView over a table model of the same rows (the peer), both 900 x 600
// with the same column widths and row height: a full repaint with the
// current record first and last, and a move to the last record and back
// with a repaint after each. Both read rows through the table's read-by-index,
// so the comparison is of the widgets. Our repaint also with a 200,000,000
// character name in the first record. Then the layout of a table of 10,000
// fields: our grid making its columns anew (or laying out the ones there),
// also with multi-level titles in groups of four, beside QTableView taking a
// model of as many columns; all captions of such a grid set inside one
// layout; and a caption of up to 100,000 levels laid out anew. Ends by
// printing QTableView / ours and the repaint at the last record over the one
// at the first.
//
// Every widget and table is made on first use and freed before the
// application object goes, children before what they watch. On a busy
// machine the ratios are steadier with --benchmark_repetitions=6
// --benchmark_enable_random_interleaving=true (medians are compared).
#include "data/TFriend.h"
#include "data/FriendTables.h"
#include "platform/db/TDataSet.h"
#include "platform/db/TField.h"
#include "grid/TColumnFooter.h"
#include "grid/TColumnTitle.h"
#include "grid/TDBGGridColumns.h"
#include "grid/TDBGColumn.h"
#include "grid/TMDBGrid.h"
#include "platform/db/TDataSource.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QTableView>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kRows = 100000;
constexpr int kColumnWidth = 80;
const QSize kSize(900, 600);

std::unique_ptr<data::TFriend> g_table;

data::TFriend& Table() {
    std::unique_ptr<data::TFriend>& table = g_table;
    if (!table) {
        table = std::make_unique<data::TFriend>();
        for (int i = 0; i < kRows; ++i)
            table->AddFriend("Анастасия " + std::to_string(i), "User_" + std::to_string(i * 7919 % 1000003),
                             "http://www.site.example/anketa?oid=" + std::to_string(1000000 + i),
                             "Россия, Москва", 18 + i % 50, i % 2, i % 3 == 0, i % 12, i % 4, 0, "25-35");
        table->Open();
    }
    return *table;
}

class FriendModel : public QAbstractTableModel {
public:
    explicit FriendModel(const data::TFriend& table) : m_table(table) {}
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : m_table.RecordCount(); }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(data::FriendFields.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole) return {};
        return QString::fromStdString(m_table.FieldText(index.row(), index.column()));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
        return QString::fromUtf8(data::FriendFields[static_cast<size_t>(section)].Name.data(),
                                 static_cast<int>(data::FriendFields[static_cast<size_t>(section)].Name.size()));
    }

private:
    const data::TFriend& m_table;
};

struct Ours {
    db::TDataSource source{&Table()};
    grid::TMDBGrid grid;
    QImage image{kSize, QImage::Format_RGB32};
    Ours() {
        grid.resize(kSize);
        grid.SetDataSource(&source);
        for (int i = 0; i < grid.Columns().Count(); ++i) grid.Columns()[i].SetWidth(kColumnWidth);
        grid.show();
        QApplication::processEvents();
    }
    void Paint() { grid.viewport()->render(&image); }
};

struct Peer {
    FriendModel model{Table()};
    QTableView view;
    QImage image{kSize, QImage::Format_RGB32};
    explicit Peer(int rowHeight) {
        view.resize(kSize);
        view.setModel(&model);
        view.verticalHeader()->hide();
        view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view.verticalHeader()->setDefaultSectionSize(rowHeight);
        view.horizontalHeader()->setDefaultSectionSize(kColumnWidth);
        view.setSelectionBehavior(QAbstractItemView::SelectRows);
        // Our cells are not elided either (no column asks for an ellipsis).
        view.setTextElideMode(Qt::ElideNone);
        view.show();
        QApplication::processEvents();
    }
    void Go(int row) {
        const QModelIndex index = model.index(row, 0);
        view.setCurrentIndex(index);
        view.scrollTo(index);
    }
    void Paint() { view.viewport()->render(&image); }
};

std::unique_ptr<Ours> g_ours;
std::unique_ptr<Peer> g_peer;

Ours& OurGrid() {
    if (!g_ours) g_ours = std::make_unique<Ours>();
    return *g_ours;
}

Peer& PeerView() {
    if (!g_peer) g_peer = std::make_unique<Peer>(OurGrid().grid.DefaultRowHeight() + OurGrid().grid.GridLineWidth());
    return *g_peer;
}

// A table of many fields "F0", "F1", ... and a few records whose texts are
// made on reading.
class WideTable : public db::TDataSet {
public:
    explicit WideTable(int fields) : m_fields(fields) {}
    // Captions "G0|F0" .. "G0|F3", "G1|F4", ...: groups of four columns.
    void GroupByFour() {
        for (int i = 0; i < FieldCount(); ++i)
            Fields(i).SetDisplayLabel("G" + std::to_string(i / 4) + "|F" + std::to_string(i));
    }

protected:
    void InitFieldDefs() override {
        for (int i = 0; i < m_fields; ++i) FieldDefs().Add("F" + std::to_string(i), 8, true);
    }
    int InternalRecordCount() const override { return 50; }
    std::string InternalFieldText(int recordIndex, const db::TField& field) const override {
        return field.FieldName() + ":" + std::to_string(recordIndex);
    }

private:
    int m_fields;
};

class WideModel : public QAbstractTableModel {
public:
    explicit WideModel(int columns) : m_columns(columns) {}
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 50; }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : m_columns; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole) return {};
        return QStringLiteral("F%1:%2").arg(index.column()).arg(index.row());
    }
    void Reset() {
        beginResetModel();
        endResetModel();
    }

private:
    int m_columns;
};

constexpr int kWideFields = 10000;

// A shown grid over a WideTable; with `grouped`, multi-level titles over
// the fields' captions in groups of four.
struct WideGrid {
    WideTable table;
    db::TDataSource source{&table};
    grid::TMDBGrid grid;
    WideGrid(int fields, bool grouped, bool multiline) : table(fields) {
        table.Open();
        if (grouped) table.GroupByFour();
        grid.resize(kSize);
        if (multiline) {
            grid::TDBGridOptions options = grid.Options();
            options.Include(grid::TDBGridOption::dgMultilineTitle);
            grid.SetOptions(options);
        }
        grid.SetDataSource(&source);
        grid.show();
        QApplication::processEvents();
    }
};

void BM_Layout_Ours(benchmark::State& state) {
    const bool multiline = state.range(2) != 0;
    WideGrid wide(static_cast<int>(state.range(0)), multiline, multiline);
    grid::TMDBGrid& grid = wide.grid;
    const bool anew = state.range(1) == 0;
    for (auto _ : state) {
        // Columns made anew from the fields, as when a dataset is attached,
        // or the ones there laid out again.
        if (anew) grid.Columns().Clear();
        grid.LayoutChanged();
    }
    state.counters["columns"] = grid.Columns().Count();
}

// Every caption of a grid of multi-level titles set anew inside one
// BeginLayout/EndLayout: one layout at the end, none per caption.
void BM_Captions_Ours(benchmark::State& state) {
    WideGrid wide(static_cast<int>(state.range(0)), false, true);
    grid::TMDBGrid& grid = wide.grid;
    int round = 0;
    for (auto _ : state) {
        const std::string suffix = std::to_string(++round % 2);
        grid.BeginLayout();
        for (int i = 0; i < grid.Columns().Count(); ++i)
            grid.Columns()[i].Title().SetCaption("G" + std::to_string(i / 4) + "|F" + std::to_string(i) + suffix);
        grid.EndLayout();
    }
}

// A column whose caption has `levels` levels, laid out anew: the levels
// alternate between two sets, so no text height is kept from the last
// layout. Each level is a word ("L17"), or (wrapping) three Cyrillic words
// of a vocabulary of 64, which take two or three lines of the column; no
// two levels of the two sets are the same.
void BM_DeepTitle_Ours(benchmark::State& state) {
    static const char* const kPrefixes[] = {"за", "по", "на", "пере", "вы", "об", "раз", "при"};
    static const char* const kRoots[] = {"ход", "вод", "мет", "каз", "бор", "лож", "став", "пис"};
    auto word = [](int n) { return std::string(kPrefixes[n / 8 % 8]) + kRoots[n % 8] + "ение"; };
    const bool wrapping = state.range(1) != 0;
    WideGrid wide(1, false, true);
    wide.grid.Columns()[0].SetWidth(kColumnWidth);
    std::string captions[2];
    for (int k = 0; k < 2; ++k) {
        for (int i = 0; i < state.range(0); ++i) {
            if (!wrapping) {
                captions[k] += (k == 0 ? "L" : "M") + std::to_string(i) + "|";
                continue;
            }
            const int first = i % 64;
            const int last = i / 4096 % 64;
            captions[k] += word(k == 0 ? first : last) + " " + word(i / 64 % 64) + " " + word(k == 0 ? last : first);
            captions[k] += k == 0 ? "|" : " за|";
        }
        captions[k] += "F";
    }
    int round = 0;
    for (auto _ : state) wide.grid.Columns()[0].Title().SetCaption(captions[++round % 2]);
    state.counters["title px"] = wide.grid.RowHeights(0);
}

void BM_Layout_QTableView(benchmark::State& state) {
    WideModel model(static_cast<int>(state.range(0)));
    QTableView view;
    view.resize(kSize);
    view.setModel(&model);
    view.show();
    QApplication::processEvents();
    for (auto _ : state) {
        model.Reset();
        view.viewport()->repaint();
    }
}

void BM_Repaint_Ours(benchmark::State& state) {
    Ours& ours = OurGrid();
    state.range(0) == 0 ? Table().First() : Table().Last();
    for (auto _ : state) ours.Paint();
}

// The first record's name is 200,000,000 characters long (a favourites file
// may hold one): what is shown of it is cut before it is read whole.
void BM_Repaint_HugeName_Ours(benchmark::State& state) {
    data::TFriend table;
    table.AddFriend(std::string(200'000'000, 'x'), "User", "http://www.site.example/anketa?oid=1", "Россия, Москва", 30, 0,
                    0, 0, 0, 0, "25-35");
    for (int i = 1; i < 100; ++i)
        table.AddFriend("Анастасия " + std::to_string(i), "User_" + std::to_string(i), "http://www.site.example/", "Москва",
                        30, 0, 0, 0, 0, 0, "25-35");
    table.Open();
    db::TDataSource source{&table};
    grid::TMDBGrid grid;
    grid.resize(kSize);
    grid.SetDataSource(&source);
    grid.show();
    QApplication::processEvents();
    QImage image{kSize, QImage::Format_RGB32};
    for (auto _ : state) grid.viewport()->render(&image);
}

// A title of 10,000,000 characters (a caption taken from a field's label
// may be anything): with footers, the same text in the column's footer too;
// or as the leaf and a group of a multi-level title. What is shown of it is
// cut before it is laid out.
void BM_Repaint_HugeTitle_Ours(benchmark::State& state) {
    const bool multiline = state.range(0) != 0;
    WideGrid wide(3, false, multiline);
    const std::string huge(10'000'000, 'x');
    grid::TMDBGrid& grid = wide.grid;
    if (multiline) {
        grid.Columns()[0].Title().SetCaption(huge + "|" + huge);
    } else {
        grid::TDBGridOptions options = grid.Options();
        options.Include(grid::TDBGridOption::dgFooters);
        grid.SetOptions(options);
        grid.Columns()[0].Title().SetCaption(huge);
        grid.Columns()[0].Footer().SetText(huge);
    }
    QImage image{kSize, QImage::Format_RGB32};
    for (auto _ : state) grid.viewport()->render(&image);
}

void BM_Repaint_QTableView(benchmark::State& state) {
    Peer& peer = PeerView();
    peer.Go(state.range(0) == 0 ? 0 : kRows - 1);
    for (auto _ : state) peer.Paint();
}

void BM_ScrollToEnd_Ours(benchmark::State& state) {
    Ours& ours = OurGrid();
    for (auto _ : state) {
        Table().Last();
        ours.Paint();
        Table().First();
        ours.Paint();
    }
}

void BM_ScrollToEnd_QTableView(benchmark::State& state) {
    Peer& peer = PeerView();
    for (auto _ : state) {
        peer.Go(kRows - 1);
        peer.Paint();
        peer.Go(0);
        peer.Paint();
    }
}

// Prints the usual table, then the ratios the grid is held to.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // With repetitions, the median of each benchmark stands for it.
        for (const Run& run : runs)
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name == "median")
                m_times[run.run_name.str()] = run.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        auto ratio = [&](const char* a, const char* b) {
            const auto x = m_times.find(a);
            const auto y = m_times.find(b);
            return x == m_times.end() || y == m_times.end() || y->second == 0 ? 0.0 : x->second / y->second;
        };
        std::printf("QTableView / ours: repaint at the first record %.2fx, at the last %.2fx, scroll to the end %.2fx\n",
                    ratio("BM_Repaint_QTableView/0", "BM_Repaint_Ours/0"),
                    ratio("BM_Repaint_QTableView/1", "BM_Repaint_Ours/1"),
                    ratio("BM_ScrollToEnd_QTableView", "BM_ScrollToEnd_Ours"));
        std::printf("ours, repaint at the last record / at the first: %.2fx\n",
                    ratio("BM_Repaint_Ours/1", "BM_Repaint_Ours/0"));
    }

private:
    std::map<std::string, double> m_times;
};

} // namespace

BENCHMARK(BM_Repaint_Ours)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Repaint_QTableView)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Repaint_HugeName_Ours)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Repaint_HugeTitle_Ours)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollToEnd_Ours)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollToEnd_QTableView)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Layout_Ours)
    ->Args({3000, 0, 0})
    ->Args({kWideFields, 0, 0})
    ->Args({kWideFields, 1, 0})
    ->Args({kWideFields, 0, 1})
    ->Args({kWideFields, 1, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Captions_Ours)->Arg(kWideFields)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeepTitle_Ours)
    ->Args({5000, 0})
    ->Args({20000, 0})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Layout_QTableView)->Arg(3000)->Arg(kWideFields)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    // Before the application goes: the views, then the grid and its data
    // source, then the table they watched.
    g_peer.reset();
    g_ours.reset();
    g_table.reset();
    return 0;
}
