// Grouping: the first column whose caption has a second word starts a
// group named after its first word, which takes the neighbours to its right
// whose captions begin with the same word; inside a group the same is done
// with the next words, and every column shows what its groups left of its
// caption. Only the groups the previous column lies in can take the next
// column, so one pass from the left, keeping those groups open by level,
// builds the tree in time linear in the captions.
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
    // The groups the previous column lies in, outermost first, each with
    // its last child so far (the root's apart): only these can take the
    // next column.
    struct Open {
        std::string word;
        THeadTreeNode* node;
        THeadTreeNode* last;
    };
    std::vector<Open> open;
    THeadTreeNode* rootLast = nullptr;
    auto append = [&](std::string text, int width, int height) {
        THeadTreeNode* parent = open.empty() ? &root : open.back().node;
        THeadTreeNode*& last = open.empty() ? rootLast : open.back().last;
        last = last ? root.Add(last, std::move(text), width, height)
                    : root.AddChild(parent, std::move(text), width, height);
        return last;
    };
    struct Word {
        size_t begin, end;
    };
    std::vector<Word> words;
    for (int i = 0; i < columns.Count(); ++i) {
        const TDBGColumn& column = columns[i];
        const std::string caption = column.Title().Caption();
        words.clear();
        for (size_t pos = 0; pos < caption.size();) {
            while (pos < caption.size() && IsDelimiter(caption[pos], TitleDelimiters)) ++pos;
            const size_t begin = pos;
            while (pos < caption.size() && !IsDelimiter(caption[pos], TitleDelimiters)) ++pos;
            if (pos > begin) words.push_back({begin, pos});
        }
        auto word = [&](size_t k) {
            return std::string_view(caption).substr(words[k].begin, words[k].end - words[k].begin);
        };
        // The groups of the previous column that go on over this one...
        size_t depth = 0;
        while (depth < open.size() && depth < words.size() && word(depth) == open[depth].word) ++depth;
        open.resize(depth);
        // ...and new ones while more than one word is left.
        while (words.size() - depth >= 2) {
            THeadTreeNode* group = append(std::string(word(depth)), -1, GroupHeight);
            open.push_back({std::string(word(depth)), group, nullptr});
            ++depth;
        }
        // The leaf keeps what follows the delimiter after its last group's word.
        const size_t cut = depth == 0 ? 0 : words[depth - 1].end + 1;
        const int width = static_cast<size_t>(i) < widths.size() ? widths[static_cast<size_t>(i)] : column.Width();
        THeadTreeNode* leaf = append(cut < caption.size() ? caption.substr(cut) : std::string(), width,
                                     titleHeight - GroupHeight * static_cast<int>(depth));
        if (column.Title().SortMarker() != TSortMarker::smNone) leaf->MarkerWidth = TitleMarkerWidth;
        // A group is as wide as its columns and the lines between them.
        for (Open& group : open) group.node->Width += width + 1;
        leaves.push_back(leaf);
    }
    return leaves;
}

void TTitleTextHeights::Begin(const QFont& font) {
    if (font == m_font) {
        m_last = std::move(m_current);
    } else {
        m_last.clear();
        m_font = font;
        m_metrics = QFontMetrics(font);
    }
    m_current.clear();
}

int TTitleTextHeights::Height(const std::string& text, int width) {
    Key key{text, std::max(1, width)};
    if (const auto it = m_current.find(key); it != m_current.end()) return it->second;
    int height = 0;
    if (const auto it = m_last.find(key); it != m_last.end()) {
        height = it->second;
    } else {
        height = m_metrics
                     .boundingRect(QRect(0, 0, key.width, 1 << 20), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                                   QString::fromStdString(text))
                     .height();
    }
    m_current.emplace(std::move(key), height);
    return height;
}

int TreeHeight(THeadTreeNode& node, const QFont& font) {
    TTitleTextHeights heights;
    heights.Begin(font);
    return TreeHeight(node, heights);
}

int TreeHeight(THeadTreeNode& node, TTitleTextHeights& heights) {
    THeadTreeNode* first = node.Child();
    if (!first) return 0;
    std::vector<int> below;
    int maximum = 0;
    THeadTreeNode* child = first;
    do {
        const int sub = TreeHeight(*child, heights);
        below.push_back(sub);
        const int own = child->Text.empty()
                            ? 0
                            : heights.Height(child->Text, child->Width - 4 - child->MarkerWidth) + TitleLevelSpacing;
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

int LeafTop(const QRect& cell, const THeadTreeNode& leaf) {
    return std::max(cell.top(), cell.top() + cell.height() + 1 - leaf.Height);
}

void DrawTitleGroups(QPainter& painter, THeadTreeNode& leaf, const QRect& cell, const TTitleGroupStyle& style) {
    const int line = style.ColLines ? 1 : 0;
    int childLeft = cell.left();
    int childTop = LeafTop(cell, leaf);
    THeadTreeNode* child = &leaf;
    for (THeadTreeNode* group = leaf.Parent(); group && group->Parent() && !group->Drawn;
         child = group, group = group->Parent()) {
        int left = childLeft;
        for (THeadTreeNode* sibling = group->Child(); sibling != child; sibling = sibling->Next())
            left -= sibling->Width + line;
        // Edges exclusive on the right and bottom; the band ends on its own
        // line, right above its children's band, and never rises above the
        // title row.
        const int right = left + group->Width;
        const int lineY = childTop - 1;
        const int top = std::max(cell.top(), childTop - group->Height);
        const int visibleLeft = std::max(left, style.ClipLeft);
        const int visibleRight = std::min(right, style.ClipRight);
        group->Drawn = true;
        childLeft = left;
        childTop = top;
        if (visibleLeft >= visibleRight || top > lineY) continue;

        const QRect band(visibleLeft, top, visibleRight - visibleLeft, lineY - top);
        painter.save();
        painter.setClipRect(band);
        painter.fillRect(band, style.Background);
        painter.setFont(style.Font);
        painter.setPen(style.TextColor);
        // Written across the whole group so that a clipped group keeps its
        // text centred on all of its columns.
        const QRect whole(left, top, right - left, lineY - top);
        QString text = QString::fromStdString(group->Text);
        if (style.EndEllipsis) text = painter.fontMetrics().elidedText(text, Qt::ElideRight, whole.width());
        painter.drawText(whole, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap, text);
        if (style.ColLines && style.RowLines && !band.isEmpty()) {
            const QPalette palette;
            painter.setPen(palette.color(QPalette::Light));
            painter.drawLine(band.left(), band.top(), band.right(), band.top());
            if (visibleLeft == left) painter.drawLine(band.left(), band.top(), band.left(), band.bottom());
            painter.setPen(palette.color(QPalette::Dark));
            painter.drawLine(band.left(), band.bottom(), band.right(), band.bottom());
            if (visibleRight == right) painter.drawLine(band.right(), band.top(), band.right(), band.bottom());
        }
        painter.setClipping(false);
        painter.fillRect(QRect(visibleLeft, lineY, visibleRight - visibleLeft, 1), Qt::black);
        painter.restore();
    }
}

void ClearDrawn(THeadTreeNode& root) {
    root.ForEach([](THeadTreeNode& node) { node.Drawn = false; });
}

} // namespace grid
