// Grouping: the first column whose caption has a second word starts a
// group named after its first word, which takes the neighbours to its right
// whose captions begin with the same word; inside a group the same is done
// with the next words, and every column shows what its groups left of its
// caption. Only the groups the previous column lies in can take the next
// column, so one pass from the left, keeping those groups open by level,
// builds the tree in time linear in the captions.
#include "grid/TitleTree.h"

#include "grid/ColumnPainters.h"
#include "grid/TColumnTitle.h"
#include "grid/TDBGColumn.h"
#include "grid/TDBGGridColumns.h"
#include "platform/Text.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <cstdint>

namespace grid {
namespace {

// Height given to a new group before the heights are computed.
constexpr int GroupHeight = 20;
// How far beyond its shown part a group's text is laid out to stay centred.
constexpr int64_t TextReach = 1 << 24;
// Band texts are measured as they are written: from the top left, wrapped.
constexpr int kWrapFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
// Words of captions kept measured; more are forgotten at a layout's start.
constexpr size_t kKeptWords = 1 << 16;
// A line's words judged this near the edge may be rounded either way: the
// layout is asked instead. (Its widths are in 64ths of a pixel.)
constexpr qreal kEdgeDoubt = 1.0 / 16;

bool IsDelimiter(char c, std::string_view delimiters) { return delimiters.find(c) != std::string_view::npos; }

// A title higher than a row can be keeps its top levels: from the top
// down, each band keeps its height while there is room left above the
// bottom, the band that meets the bottom ends there, and the bands below it
// get none; leaves still end on the bottom. Walked without recursion, the
// room left for the levels below a node coming back up with its band.
void CapTree(THeadTreeNode& root) {
    int64_t room = MaxTitleHeight;
    root.Height = MaxTitleHeight;
    THeadTreeNode* node = root.Child();
    for (;;) {
        node->Height = static_cast<int>(node->Child() ? std::min<int64_t>(node->Height, room) : room);
        if (node->Child()) {
            room -= node->Height;
            node = node->Child();
            continue;
        }
        while (node != &root && node->Next() == node->Parent()->Child()) {
            node = node->Parent();
            if (node != &root) room += node->Height;
        }
        if (node == &root) return;
        node = node->Next();
    }
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
        last = THeadTreeNode::Insert(parent, last, std::move(text), width, height);
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
        // A group is as wide as its columns and the lines between them; a
        // group of very wide columns stops at the widest an int holds.
        for (Open& group : open)
            group.node->Width = static_cast<int>(std::min<int64_t>(INT_MAX, int64_t{group.node->Width} + width + 1));
        leaves.push_back(leaf);
    }
    return leaves;
}

void TTitleTextHeights::Begin(const QFont& font, int seen) {
    // Texts are kept as they were cut, so a text cut to another height is
    // measured anew.
    m_seen = seen;
    if (font == m_font && m_latinLine > 0) {
        m_last = std::move(m_current);
    } else {
        m_last.clear();
        m_font = font;
        m_metrics = QFontMetrics(font);
        m_metricsF = QFontMetricsF(font);
        auto height = [this](const char* text, int width) {
            return m_metrics.boundingRect(QRect(0, 0, width, 1 << 20), kWrapFlags, QString::fromUtf8(text)).height();
        };
        m_latinLine = height("0", 1 << 20);
        m_cyrillicLine = std::max(m_latinLine, height("Ж", 1 << 20));
        // Words are judged only where every line is as high as any other,
        // whichever of the two scripts it holds.
        m_wrapLine = m_latinLine;
        m_wrapPitch = height("0 0", 1) - m_latinLine;
        for (const auto& [one, two] : {std::pair{"Ж", "Ж Ж"}, std::pair{"0Ж", "0Ж 0Ж"}})
            if (height(one, 1 << 20) != m_wrapLine || height(two, 1) != m_wrapLine + m_wrapPitch) m_wrapPitch = 0;
        m_space = m_metricsF.horizontalAdvance(QLatin1Char(' '));
        m_latin.fill(-1);
        m_cyrillic.fill(-1);
        m_words.clear();
    }
    // Words of many layouts' captions would pile up.
    if (m_words.size() > kKeptWords) m_words.clear();
    m_current.clear();
    m_layouts = 0;
    m_cut = false;
}

int TTitleTextHeights::OneLineHeight(std::string_view text, int width) {
    // A pixel more for every letter covers kerning and the rounding of
    // advances: a text judged to fit takes less than its band.
    int64_t used = 0;
    bool cyrillic = false;
    for (size_t pos = 0; pos < text.size() && used <= width;) {
        const char32_t c = text::NextCodePoint(text, pos);
        int* advance = nullptr;
        if (c >= 0x20 && c < 0x7F) {
            advance = &m_latin[c - 0x20];
        } else if (c >= 0x400 && c < 0x460) {
            advance = &m_cyrillic[c - 0x400];
            cyrillic = true;
        } else {
            return 0;
        }
        if (*advance < 0) *advance = m_metrics.horizontalAdvance(QChar(static_cast<char16_t>(c)));
        used += *advance + 1;
    }
    return used > width ? 0 : cyrillic ? m_cyrillicLine : m_latinLine;
}

const TTitleTextHeights::WordWidth* TTitleTextHeights::Word(std::string_view word) {
    if (word.empty()) return nullptr;
    if (const auto it = m_words.find(word); it != m_words.end()) return &it->second;
    for (size_t pos = 0; pos < word.size();) {
        const char32_t c = text::NextCodePoint(word, pos);
        const bool latin = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!latin && !(c >= 0x400 && c < 0x460)) return nullptr;
    }
    const QString text = QString::fromUtf8(word.data(), static_cast<qsizetype>(word.size()));
    const WordWidth width{m_metricsF.horizontalAdvance(text), std::max<qreal>(0, -m_metricsF.rightBearing(text.back()))};
    return &m_words.emplace(std::string(word), width).first->second;
}

int TTitleTextHeights::WrappedHeight(std::string_view text, int width) {
    if (m_wrapPitch <= 0) return 0;
    // The layout puts a line's first word on it whatever its width, and
    // each next word after a space while the line, with what that word's
    // last letter reaches past its advance, stays within the width.
    int lines = 1;
    qreal line = -1;  // the words on the line and the spaces between them
    for (size_t begin = 0;;) {
        const size_t end = std::min(text.find(' ', begin), text.size());
        const WordWidth* word = Word(text.substr(begin, end - begin));
        if (!word) return 0;
        if (line < 0) {
            line = word->advance;
        } else {
            const qreal next = line + m_space + word->advance;
            const qreal reach = next + word->overhang;
            if (reach <= width - kEdgeDoubt) {
                line = next;
            } else if (reach > width + kEdgeDoubt) {
                ++lines;
                line = word->advance;
            } else {
                return 0;
            }
        }
        if (end == text.size()) break;
        begin = end + 1;
    }
    return static_cast<int>(std::min<int64_t>(MaxTitleHeight, m_wrapLine + int64_t{lines - 1} * m_wrapPitch));
}

int TTitleTextHeights::Height(const std::string& text, int width) {
    width = std::max(1, width);
    if (const int line = OneLineHeight(text, width)) return line;
    // Lines that cannot be seen are not laid out.
    const std::string_view shown = ShownTextPart(text, QRect(0, 0, width, m_seen), m_latinLine, true);
    m_cut = m_cut || shown.size() < text.size();
    if (const int height = WrappedHeight(shown, width)) return height;
    Key key{std::string(shown), width};
    if (const auto it = m_current.find(key); it != m_current.end()) return it->second;
    int height = 0;
    if (const auto it = m_last.find(key); it != m_last.end()) {
        height = it->second;
    } else {
        ++m_layouts;
        const QString laid = QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size()));
        height = m_metrics.boundingRect(QRect(0, 0, width, 1 << 20), kWrapFlags, laid).height();
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
    // Bottom-up without recursion: a node is finished once all of its
    // children are, and its Height then holds the height of the levels below
    // it until its parent, finishing, gives it its own band's height.
    auto finish = [&heights](THeadTreeNode& parent) {
        THeadTreeNode* first = parent.Child();
        if (!first) return;
        auto below = [](const THeadTreeNode& child) { return child.Child() ? int64_t{child.Height} : 0; };
        int64_t maximum = 0;
        THeadTreeNode* child = first;
        do {
            // A leaf without a caption still takes a line, as in a
            // single-line title; a group always has its word.
            const int text = child->Text.empty() ? (child->Child() ? -1 : heights.LineHeight())
                                                 : heights.Height(child->Text, child->Width - 4 - child->MarkerWidth);
            const int64_t own = text < 0 ? 0 : int64_t{text} + TitleLevelSpacing;
            maximum = std::min<int64_t>(INT_MAX, std::max(maximum, own + below(*child)));
            child = child->Next();
        } while (child != first);
        child = first;
        do {
            child->Height = static_cast<int>(maximum - (child->Child() ? below(*child) : 0));
            child = child->Next();
        } while (child != first);
        parent.Height = static_cast<int>(maximum);
    };
    THeadTreeNode* current = &node;
    while (current->Child()) current = current->Child();
    for (;;) {
        finish(*current);
        if (current == &node) break;
        THeadTreeNode* parent = current->Parent();
        if (current->Next() == parent->Child()) {
            current = parent;
            continue;
        }
        current = current->Next();
        while (current->Child()) current = current->Child();
    }
    if (!node.Child()) return 0;
    if (node.Height > MaxTitleHeight) CapTree(node);
    return node.Height;
}

int LeafTop(const QRect& cell, const THeadTreeNode& leaf) {
    return std::max(cell.top(), cell.top() + cell.height() + 1 - leaf.Height);
}

void DrawTitleGroups(QPainter& painter, THeadTreeNode& leaf, const QRect& cell, const TTitleGroupStyle& style) {
    // Groups may be wider together than an int holds: edges are reckoned
    // wide and only what meets the painted part is made a rectangle.
    const int line = style.ColLines ? 1 : 0;
    int64_t childLeft = cell.left();
    int childTop = LeafTop(cell, leaf);
    THeadTreeNode* child = &leaf;
    for (THeadTreeNode* group = leaf.Parent(); group && group->Parent() && !group->Drawn;
         child = group, group = group->Parent()) {
        int64_t left = childLeft;
        for (THeadTreeNode* sibling = group->Child(); sibling != child; sibling = sibling->Next())
            left -= int64_t{sibling->Width} + line;
        // Edges exclusive on the right and bottom; the band ends on its own
        // line, right above its children's band, and never rises above the
        // title row.
        const int64_t right = left + group->Width;
        const int lineY = childTop - 1;
        const int top = std::max(cell.top(), childTop - group->Height);
        const int64_t shownLeft = std::max<int64_t>(left, style.ClipLeft);
        const int64_t shownRight = std::min<int64_t>(right, style.ClipRight);
        group->Drawn = true;
        childLeft = left;
        childTop = top;
        // Bands below the painted part (a title higher than the grid) are
        // passed over unpainted.
        if (shownLeft >= shownRight || top > lineY || top >= style.ClipBottom) continue;
        const int visibleLeft = static_cast<int>(shownLeft);
        const int visibleRight = static_cast<int>(shownRight);

        const QRect band(visibleLeft, top, visibleRight - visibleLeft, lineY - top);
        painter.save();
        painter.setClipRect(band);
        painter.fillRect(band, style.Background);
        painter.setFont(style.Font);
        painter.setPen(style.TextColor);
        // Written across the whole group so that a clipped group keeps its
        // text centred on all of its columns (as far as a widget can reach
        // beyond the band: past that, no text is seen anyway).
        const int64_t wholeLeft = std::max<int64_t>(left, shownLeft - TextReach);
        const int64_t wholeRight = std::min<int64_t>(right, shownRight + TextReach);
        const QRect whole(static_cast<int>(wholeLeft), top,
                          static_cast<int>(std::min<int64_t>(wholeRight - wholeLeft, INT_MAX / 2)), lineY - top);
        // Only the lines that can be seen are laid out.
        const QRect seen(whole.left(), top, whole.width(), std::min(lineY, style.ClipBottom) - top);
        QString text = ShownCellText(group->Text, seen, painter.fontMetrics().lineSpacing(), true);
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
