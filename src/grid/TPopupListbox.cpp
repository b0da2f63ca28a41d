#include "grid/TPopupListbox.h"

#include <QElapsedTimer>
#include <QFontMetrics>
#include <QMouseEvent>

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
        if (item(row)->text().startsWith(m_searchText, Qt::CaseInsensitive)) {
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
