#include "app/controls/TCheckedTreeNode.h"

#include <QPainter>
#include <QPixmap>

namespace app {
namespace {

// A white box with a grey frame; the ticked one carries a dark check mark.
QIcon DrawCheckIcon(bool ticked) {
    constexpr int size = TCheckedTreeNode::CheckIconSize;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(0, 0, size - 1, size - 1);
    if (ticked) {
        painter.setPen(QPen(QColor(0, 0, 0), 1));
        // A check mark of three-pixel-thick strokes, as system check boxes draw it.
        for (int dy = 0; dy < 3; ++dy) {
            painter.drawLine(2, 4 + dy, 4, 6 + dy);
            painter.drawLine(4, 6 + dy, 8, 2 + dy);
        }
    }
    painter.end();
    QIcon icon;
    for (QIcon::Mode mode : {QIcon::Normal, QIcon::Selected, QIcon::Active}) icon.addPixmap(pixmap, mode);
    return icon;
}

} // namespace

TCheckedTreeNode::TCheckedTreeNode(uint8_t kind, const QString& caption)
    : QTreeWidgetItem(QStringList{caption}, NodeType), m_kind(kind) {
    setIcon(0, CheckIcon(false));
}

void TCheckedTreeNode::SetChecked(bool checked) {
    if (checked == m_checked) return;
    m_checked = checked;
    setIcon(0, CheckIcon(checked));
}

TCheckedTreeNode* TCheckedTreeNode::ParentNode() const { return From(parent()); }

TCheckedTreeNode* TCheckedTreeNode::ChildNode(int index) const {
    return index >= 0 && index < childCount() ? From(child(index)) : nullptr;
}

int TCheckedTreeNode::Level() const {
    int level = 0;
    for (const QTreeWidgetItem* p = parent(); p; p = p->parent()) ++level;
    return level;
}

TCheckedTreeNode* TCheckedTreeNode::From(QTreeWidgetItem* item) {
    return item && item->type() == NodeType ? static_cast<TCheckedTreeNode*>(item) : nullptr;
}

const QIcon& TCheckedTreeNode::CheckIcon(bool checked) {
    static const QIcon empty = DrawCheckIcon(false);
    static const QIcon ticked = DrawCheckIcon(true);
    return checked ? ticked : empty;
}

} // namespace app
