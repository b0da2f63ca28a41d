// libFuzzer target: the data grid over a profile table file as the program
// loads it, damaged or not: the grid is laid out and painted on the first
// record, the last one and one in between, and with a column narrowed. Nothing
// may crash.
#include "FuzzSupport.h"

#include "data/TFriend.h"
#include "grid/TDBGColumn.h"
#include "grid/TDBGGridColumns.h"
#include "grid/TMDBGrid.h"
#include "platform/db/TDataSource.h"

#include <QApplication>
#include <QImage>
#include <exception>
#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto file = fuzzsupport::SetupWidgets() / "Friends.xml";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    fuzzsupport::TChoices choices(data, size);
    data::TFriend table;
    try {
        table.LoadFromFile(file);
    } catch (const std::exception&) {
        return 0;
    }
    table.Open();
    db::TDataSource source{&table};
    grid::TMDBGrid grid;
    grid.resize(320, 200);
    grid.SetDataSource(&source);
    grid.show();
    QApplication::processEvents();
    (void)grid.viewport()->grab();
    table.Last();
    (void)grid.viewport()->grab();
    if (table.RecordCount() > 2) {
        table.SetRecNo(1 + int(choices.Next(uint32_t(table.RecordCount()))));
        (void)grid.viewport()->grab();
    }
    table.First();
    if (grid.Columns().Count() > 0) grid.Columns()[int(choices.Next(uint32_t(grid.Columns().Count())))].SetWidth(7);
    (void)grid.viewport()->grab();
    return 0;
}
