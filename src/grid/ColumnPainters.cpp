#include "grid/ColumnPainters.h"

#include "grid/CheckMarkTables.h"
#include "grid/TColumnFooter.h"
#include "platform/Text.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <qdrawutil.h>

#include <algorithm>
#include <cstdint>

namespace grid {

Qt::Alignment QtAlignment(db::TAlignment alignment) {
    switch (alignment) {
    case db::TAlignment::taRightJustify:
        return Qt::AlignRight;
    case db::TAlignment::taCenter:
        return Qt::AlignHCenter;
    case db::TAlignment::taLeftJustify:
        break;
    }
    return Qt::AlignLeft;
}

std::string_view ShownTextPart(std::string_view text, const QRect& rect, int lineHeight, bool wrap) {
    // Twice the pixels of each line and one more line than fits, so that an
    // ellipsis, a wrapped line's end or a partly shown line look as they
    // would with the whole text.
    const int64_t perLine = 2 * (int64_t{std::max(0, rect.width())} + 2);
    const int64_t lines = wrap ? std::max(0, rect.height()) / std::max(1, lineHeight) + 2 : 1;
    return text::TakeCodePoints(text, static_cast<size_t>(perLine * lines));
}

QString ShownCellText(std::string_view text, const QRect& rect, int lineHeight, bool wrap) {
    const std::string_view shown = ShownTextPart(text, rect, lineHeight, wrap);
    return QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size()));
}

QRect FooterTextRect(const QRect& cell, int textHeight) {
    const int top = cell.top() + cell.height() - textHeight;
    return QRect(cell.left() + 3, top, cell.width() - 5, textHeight - 4);
}

void DrawFooterText(QPainter& painter, const QRect& cell, int textHeight, const TColumnFooter& footer) {
    if (footer.Text().empty()) return;
    const QRect rect = FooterTextRect(cell, textHeight);
    painter.save();
    painter.setFont(footer.Font());
    const QString shown = ShownCellText(footer.Text(), rect, painter.fontMetrics().lineSpacing(), false);
    const QString text = painter.fontMetrics().elidedText(shown, Qt::ElideRight, std::max(rect.width(), 0));
    painter.drawText(rect, int(QtAlignment(footer.Alignment()) | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip),
                     text);
    painter.restore();
}

void DrawEditButton(QPainter& painter, TEditStyle style, const QRect& rect, bool enabled, bool pressed) {
    if (style == TEditStyle::esSimple || rect.isEmpty()) return;
    const QPalette palette = QApplication::palette();
    const int shift = pressed ? 1 : 0;
    painter.save();
    if (pressed)
        qDrawShadePanel(&painter, rect, palette, true, 1, &palette.brush(QPalette::Button));
    else
        qDrawWinButton(&painter, rect, palette, false, &palette.brush(QPalette::Button));
    if (style == TEditStyle::esEllipsis) {
        const int w = std::clamp(rect.width() / 8, 1, 2);
        const int h = std::clamp(rect.height() / 8, 1, 2);
        const int x = rect.left() + rect.width() / 2 - 1 + shift;
        const int y = rect.top() + rect.height() / 2 - 1 + shift;
        const QColor dot = enabled ? QColor(Qt::black) : palette.color(QPalette::Disabled, QPalette::ButtonText);
        for (int dx : {-2 * w, 0, 2 * w}) painter.fillRect(QRect(x + dx, y, w, h), dot);
    } else {
        QStyleOption option;
        option.rect = rect.adjusted(3, 3, -3, -3).translated(shift, shift);
        option.palette = palette;
        option.state = enabled ? QStyle::State_Enabled : QStyle::State_None;
        QApplication::style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &option, &painter);
    }
    painter.restore();
}

QPoint CheckboxOrigin(const QRect& cell) {
    return {cell.left() + (cell.width() - CheckboxSize) / 2, cell.top() + (cell.height() - CheckboxSize) / 2};
}

void DrawCheckbox(QPainter& painter, const QRect& cell, bool checked, TCheckType type, const QColor& color) {
    const QPoint o = CheckboxOrigin(cell);
    const int last = CheckboxSize - 1;
    painter.save();
    // A column narrower than the box shows what fits of it.
    painter.setClipRect(cell, Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(color, 0));
    const QPoint box[] = {o, o + QPoint(last, 0), o + QPoint(last, last), o + QPoint(0, last), o};
    painter.drawPolyline(box, 5);
    if (checked) {
        const auto draw = [&](const auto& strokes) {
            for (const TMarkStroke& s : strokes)
                painter.drawLine(o.x() + s.Dx, o.y() + s.From, o.x() + s.Dx, o.y() + s.To - 1);
        };
        if (type == TCheckType::ctCheck)
            draw(CheckMark);
        else
            draw(CrossMark);
    }
    painter.restore();
}

} // namespace grid
