// Painting the data grid over a profile table of 100,000 rows beside a
// QTableView over a table model of the same rows (the peer), both 900 x 600
// with the same column widths and row height: a full repaint with the
// current record first and last, and a move to the last record and back
// with a repaint after each. Both read rows through the table's read-by-index,
// so the comparison is of the widgets. Ends by printing QTableView / ours
// and the repaint at the last record over the one at the first.
#include "data/TFriend.h"
#include "data/FriendTables.h"
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

data::TFriend& Table() {
    static std::unique_ptr<data::TFriend> table;
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

// The widgets live to the end of the run; they are not destroyed after the
// application object is.
Ours& OurGrid() {
    static Ours* ours = new Ours;
    return *ours;
}

Peer& PeerView() {
    static Peer* peer = new Peer(OurGrid().grid.DefaultRowHeight() + OurGrid().grid.GridLineWidth());
    return *peer;
}

void BM_Repaint_Ours(benchmark::State& state) {
    Ours& ours = OurGrid();
    state.range(0) == 0 ? Table().First() : Table().Last();
    for (auto _ : state) ours.Paint();
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
        for (const Run& run : runs) m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
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
BENCHMARK(BM_ScrollToEnd_Ours)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollToEnd_QTableView)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
