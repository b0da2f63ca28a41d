// Grouping scans the columns from the left: the first column whose leaf
// text still has a second word starts a run of neighbours whose leaves
// share its parent and its first word; the run's leaves lose that word and
// are put under a new group node named after it. The scan restarts after
// every grouping and ends when a whole pass groups nothing; every grouping
// shortens leaf texts, so it ends.
#include "grid/TitleTree.h"

#include "grid/TColumnTitle.h"
#include "grid/TDBGColumn.h"
#include "grid/TDBGGridColumns.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPalette>

#include <algorithm>

namespace grid {
namespace {

// Height given to a new group before the heights are computed.
constexpr int GroupHeight = 20;

bool IsDelimiter(char c, std::string_view delimiters) { return delimiters.find(c) != std::string_view::npos; }

// Removes the first word of a leaf text and the delimiter after it.
void DropFirstWord(THeadTreeNode& node) {
    const size_t pos = WordPosition(1, node.Text);
    if (pos == 0) return;
    const size_t end = pos - 1 + ExtractWord(1, node.Text).size();
    node.Text = end + 1 < node.Text.size() ? node.Text.substr(end + 1) : std::string();
}

int TextHeight(const QFont& font, const THeadTreeNode& node) {
    const int width = std::max(1, node.Width - 4 - node.MarkerWidth);
    return QFontMetrics(font)
        .boundingRect(QRect(0, 0, width, 1 << 20), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                      QString::fromStdString(node.Text))
        .height();
}

} // namespace

size_t WordPosition(int n, std::string_view s, std::string_view delimiters) {
    int count = 0;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && IsDelimiter(s[i], delimiters)) ++i;
        if (i < s.size() && ++count == n) return i + 1;
        while (i < s.size() && !IsDelimiter(s[i], delimiters)) ++i;
    }
    return 0;
}

std::string ExtractWordPos(int n, std::string_view s, std::string_view delimiters, size_t& pos) {
    pos = WordPosition(n, s, delimiters);
    if (pos == 0) return {};
    size_t end = pos - 1;
    while (end < s.size() && !IsDelimiter(s[end], delimiters)) ++end;
    return std::string(s.substr(pos - 1, end - (pos - 1)));
}

std::string ExtractWord(int n, std::string_view s, std::string_view delimiters) {
    size_t pos = 0;
    return ExtractWordPos(n, s, delimiters, pos);
}

std::vector<THeadTreeNode*> BuildTitleTree(THeadTreeNode& root, const TDBGGridColumns& columns, int titleHeight,
                                           const std::vector<int>& widths) {
    root.FreeAllChild();
    std::vector<THeadTreeNode*> leaves;
    leaves.reserve(static_cast<size_t>(columns.Count()));
    for (int i = 0; i < columns.Count(); ++i) {
        const TDBGColumn& column = columns[i];
        const int width = static_cast<size_t>(i) < widths.size() ? widths[static_cast<size_t>(i)] : column.Width();
        THeadTreeNode* leaf = root.AddChild(&root, column.Title().Caption(), width, titleHeight);
        if (column.Title().SortMarker() != TSortMarker::smNone) leaf->MarkerWidth = TitleMarkerWidth;
        leaves.push_back(leaf);
    }

    for (bool grouped = true; grouped;) {
        grouped = false;
        for (size_t i = 0; i < leaves.size() && !grouped; ++i) {
            THeadTreeNode* first = leaves[i];
            if (WordPosition(2, first->Text) == 0) continue;
            const std::string word = ExtractWord(1, first->Text);
            size_t last = i;
            // Neighbours under another group stay out, or the group would
            // take nodes of two levels.
            while (last + 1 < leaves.size() && leaves[last + 1]->Parent() == first->Parent() &&
                   ExtractWord(1, leaves[last + 1]->Text) == word) {
                DropFirstWord(*leaves[last]);
                ++last;
            }
            DropFirstWord(*leaves[last]);
            root.Union(first, leaves[last], GroupHeight, word);
            grouped = true;
        }
    }
    return leaves;
}

int TreeHeight(THeadTreeNode& node, const QFont& font) {
    THeadTreeNode* first = node.Child();
    if (!first) return 0;
    std::vector<int> below;
    int maximum = 0;
    THeadTreeNode* child = first;
    do {
        const int sub = TreeHeight(*child, font);
        below.push_back(sub);
        const int own = child->Text.empty() ? 0 : TextHeight(font, *child) + TitleLevelSpacing;
        maximum = std::max(maximum, own + sub);
        child = child->Next();
    } while (child != first);

    size_t k = 0;
    child = first;
    do {
        child->Height = child->Child() ? maximum - below[k] : maximum;
        ++k;
        child = child->Next();
    } while (child != first);
    node.Height = maximum;
    return maximum;
}

void DrawTitleGroups(QPainter& painter, THeadTreeNode& leaf, const QRect& cell, const TTitleGroupStyle& style) {
    const int line = style.ColLines ? 1 : 0;
    int childLeft = cell.left();
    int childTop = cell.top() + cell.height() - leaf.Height;
    THeadTreeNode* child = &leaf;
    for (THeadTreeNode* group = leaf.Parent(); group && group->Parent() && !group->Drawn;
         child = group, group = group->Parent()) {
        int left = childLeft;
        for (THeadTreeNode* sibling = group->Child(); sibling != child; sibling = sibling->Next())
            left -= sibling->Width + line;
        const int right = left + group->Width;  // edges exclusive on the right and bottom
        const int bottom = childTop - 1;
        const int top = bottom - group->Height;
        const int visibleLeft = std::max(left, style.ClipLeft);
        const int visibleRight = std::min(right, style.ClipRight);
        group->Drawn = true;
        childLeft = left;
        childTop = top;
        if (visibleLeft >= visibleRight) continue;

        const QRect visible(visibleLeft, top, visibleRight - visibleLeft, bottom - top);
        // Grown over the lines around it, except where it is cut off.
        const QRect grown = visible.adjusted(visibleLeft == left ? -1 : 0, -1, visibleRight == right ? 1 : 0, 1);
        painter.save();
        painter.setClipRect(grown);
        painter.fillRect(grown, style.Background);
        painter.setFont(style.Font);
        painter.setPen(style.TextColor);
        // Drawn across the whole group so that a clipped group keeps its
        // text centred on all of its columns.
        const QRect whole(left - 1, top - 1, right - left + 2, bottom - top + 2);
        QString text = QString::fromStdString(group->Text);
        if (style.EndEllipsis) text = painter.fontMetrics().elidedText(text, Qt::ElideRight, whole.width());
        painter.drawText(whole, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap, text);
        painter.setClipping(false);
        if (style.ColLines && style.RowLines) {
            const QPalette palette;
            painter.setPen(palette.color(QPalette::Light));
            painter.drawLine(grown.left(), grown.top(), grown.right(), grown.top());
            if (visibleLeft == left) painter.drawLine(grown.left(), grown.top(), grown.left(), grown.bottom());
            painter.setPen(palette.color(QPalette::Dark));
            painter.drawLine(grown.left(), grown.bottom(), grown.right(), grown.bottom());
            painter.drawLine(grown.right(), grown.top(), grown.right(), grown.bottom());
        }
        painter.setPen(Qt::black);
        painter.drawLine(visible.left(), bottom, visibleRight - 1, bottom);
        painter.restore();
    }
}

void ClearDrawn(THeadTreeNode& root) {
    root.ForEach([](THeadTreeNode& node) { node.Drawn = false; });
}

} // namespace grid
