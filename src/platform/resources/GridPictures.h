#pragma once
// Painters of the data grid's indicator glyphs and sort markers. Each draws
// on a transparent canvas of the size its row in BitmapResourceTables.h
// gives.

class QPainter;

namespace platform::resources {

// 9 x 9 indicator glyphs: current row, edited row, inserted row, selected
// row, current selected row.
void PaintGridArrow(QPainter& p);
void PaintGridEdit(QPainter& p);
void PaintGridInsert(QPainter& p);
void PaintGridMultiDot(QPainter& p);
void PaintGridMultiArrow(QPainter& p);

// 11 x 7 sort markers: a triangle pointing down, and one pointing up.
void PaintGridSortDown(QPainter& p);
void PaintGridSortUp(QPainter& p);

} // namespace platform::resources
