#pragma once
// A text laid out in lines of a given width by Qt's text layout, with each
// line break made a '\n', so that a label shows exactly those lines: a
// label's own word wrap cannot break a word longer than its line, and would
// run it out of sight.

#include <QString>

class QFont;

namespace app {

// `text` in lines no wider than `width` pixels in `font`: broken at blanks
// where it can be, inside a word longer than a line where it must. Lines
// past `maxLines` give way to "…" at the end of the last one kept. Tabs
// count as blanks and '\n' breaks a line. An empty text stays empty.
QString BreakIntoLines(const QString& text, const QFont& font, int width, int maxLines);

} // namespace app
