#pragma once
// A stand-in for the data grid that owns columns and selected rows: it
// answers with settable appearance and link state and writes down what the
// companions ask of it.

#include "grid/TMDBGridHost.h"
#include "platform/db/TDataSet.h"
#include "platform/db/TField.h"

#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class GridTestHost : public grid::TMDBGridHost {
public:
    QColor color{250, 250, 240};
    QColor fixedColor{200, 200, 210};
    QFont font{"Sans", 10};
    QFont titleFont{"Sans", 12};
    bool readOnly = false;
    int defaultColWidth = 64;
    grid::TDBGridOptions options = grid::DefaultGridOptions;
    bool loading = false;
    db::TDataSet* dataSet = nullptr;
    bool linkActive = false;
    bool layoutFromDataset = false;
    std::vector<std::string> events;

    std::vector<std::string> Take() { return std::exchange(events, {}); }

    QColor Color() const override { return color; }
    QColor FixedColor() const override { return fixedColor; }
    QFont Font() const override { return font; }
    QFont TitleFont() const override { return titleFont; }
    bool ReadOnly() const override { return readOnly; }
    int DefaultColWidth() const override { return defaultColWidth; }
    grid::TDBGridOptions Options() const override { return options; }
    bool IsLoading() const override { return loading; }
    db::TDataSet* DataSet() const override { return dataSet; }
    bool LinkActive() const override { return linkActive; }
    bool LayoutFromDataset() const override { return layoutFromDataset; }
    // The default field map: every field of the dataset in order.
    db::TField* MappedField(int index) const override {
        return dataSet && index >= 0 && index < dataSet->FieldCount() ? &dataSet->Fields(index) : nullptr;
    }
    int IndicatorOffset() const override { return 1; }
    // As the grid: inside BeginLayout/EndLayout a layout change waits for
    // the end.
    int layoutLock = 0;
    void BeginLayout() override {
        ++layoutLock;
        events.push_back("begin layout");
    }
    void EndLayout() override {
        --layoutLock;
        events.push_back("end layout");
    }
    void LayoutChanged() override {
        if (layoutLock == 0) events.push_back("layout");
    }
    void SetColWidth(int rawCol, int width) override {
        events.push_back("width " + std::to_string(rawCol) + " " + std::to_string(width));
    }
    void InvalidateCol(int rawCol) override { events.push_back("paint col " + std::to_string(rawCol)); }
    void InvalidateCurrentRow() override { events.push_back("paint row"); }
    void Invalidate() override { events.push_back("paint all"); }
};

} // namespace testsupport
