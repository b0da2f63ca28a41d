#include "grid/TPopupListbox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace grid {
namespace {

// A pause longer than this starts a new search.
constexpr qint64 SearchPause = 2000;
constexpr qsizetype MaxSearchLength = 32;

qint64 SystemTicks() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

// The characters (code points) of a text.
qsizetype Length(const QString& text) { return text.toUcs4().size(); }

// Draws an item's fields (FieldsRole), each in its own column.
class TColumnsDelegate : public QStyledItemDelegate {
public:
    explicit TColumnsDelegate(TPopupListbox& list) : QStyledItemDelegate(&list), m_list(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        // The item's panel (selection included) as the style draws it, then
        // the fields over it.
        QStyleOptionViewItem background = option;
        initStyleOption(&background, index);
        background.text.clear();
        const QWidget* widget = option.widget;
        (widget ? widget->style() : QApplication::style())
            ->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);
        const bool selected = option.state & QStyle::State_Selected;
        painter->save();
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const QVariant fields = index.data(TPopupListbox::FieldsRole);
        const QStringList parts = fields.isValid() ? fields.toStringList() : QStringList{index.data().toString()};
        int x = option.rect.left() + 2;
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const int width = static_cast<size_t>(i) < m_list.Columns().size() ? m_list.Columns()[static_cast<size_t>(i)]
                                                                             : option.rect.right() - x;
            const QRect cell(x, option.rect.top(), std::max(width - 4, 0), option.rect.height());
            painter->drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                              option.fontMetrics.elidedText(parts[i], Qt::ElideRight, cell.width()));
            x += width;
        }
        painter->restore();
    }

private:
    TPopupListbox& m_list;
};

} // namespace

TPopupListbox::TPopupListbox(QWidget* owner)
    : QListWidget(owner), TickCount(SystemTicks) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::SingleSelection);
    hide();
}

int TPopupListbox::ItemHeight() const {
    return count() > 0 ? std::max(sizeHintForRow(0), 1) : QFontMetrics(font()).height();
}

void TPopupListbox::SetColumns(std::vector<int> widths, int searchColumn) {
    m_columns = std::move(widths);
    m_searchColumn = std::max(0, searchColumn);
    // One delegate for the list's life; it draws plain items as they are.
    if (!m_columns.empty() && !dynamic_cast<TColumnsDelegate*>(itemDelegate())) setItemDelegate(new TColumnsDelegate(*this));
}

QString TPopupListbox::SearchedText(const QListWidgetItem& item) const {
    if (m_columns.empty()) return item.text();
    return item.data(FieldsRole).toStringList().value(m_searchColumn);
}

bool TPopupListbox::KeyPress(const QString& character) {
    if (character.isEmpty()) return false;
    const char32_t code = character.toUcs4().front();
    if (code == 8 || code == 27) {
        m_searchText.clear();
        return false;
    }
    if (code < 32 || code == 127) return false;
    const qint64 now = TickCount();
    if (now - m_searchTickCount > SearchPause) m_searchText.clear();
    m_searchTickCount = now;
    if (Length(m_searchText) < MaxSearchLength) m_searchText += character;
    for (int row = 0; row < count(); ++row) {
        if (SearchedText(*item(row)).startsWith(m_searchText, Qt::CaseInsensitive)) {
            setCurrentRow(row);
            break;
        }
    }
    return true;
}

void TPopupListbox::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && OnMouseUp) OnMouseUp(rect().contains(event->position().toPoint()));
}

} // namespace grid
