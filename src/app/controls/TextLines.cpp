#include "app/controls/TextLines.h"

#include <QFontMetrics>
#include <QStringList>
#include <QTextLayout>
#include <algorithm>

namespace app {

QString BreakIntoLines(const QString& text, const QFont& font, int width, int maxLines) {
    QString flat = text;
    flat.replace(QLatin1Char('\t'), QLatin1Char(' '));
    flat.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(flat, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    bool cut = false;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == std::max(1, maxLines)) {
            cut = true;
            break;
        }
        QString part = flat.mid(line.textStart(), line.textLength());
        while (!part.isEmpty() && (part.back() == QChar::LineSeparator || part.back() == QLatin1Char(' '))) part.chop(1);
        lines.push_back(part);
    }
    layout.endLayout();
    if (cut)
        lines.back() = QFontMetrics(font).elidedText(lines.back() + QStringLiteral("…"), Qt::ElideRight, width);
    return lines.join(QLatin1Char('\n'));
}

} // namespace app
