#pragma once
// Multi-level titles: captions written "Group|Subgroup|Name" grouped into a
// tree of header cells over adjacent columns, level by level. Each column
// shows the rest of its caption in its own (leaf) cell; the grid rebuilds
// the tree at every layout and paints each group cell once per paint.

#include "grid/THeadTreeNode.h"
#include "platform/TCustomGrid.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QRect>

#include <array>
#include <climits>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QPainter;

namespace grid {

class TDBGGridColumns;

// Caption parts are separated by this.
inline constexpr std::string_view TitleDelimiters = "|";
// Room added to the text height of every title level.
inline constexpr int TitleLevelSpacing = 10;
// Room kept for a sort marker in a leaf.
inline constexpr int TitleMarkerWidth = 16;
// The levels of a title stop adding height here: no row is higher.
inline constexpr int MaxTitleHeight = platform::MaxCellSize;

// Words are maximal runs of characters outside `delimiters`. The 1-based
// byte position of word `n` (1-based) of `s`, or 0 when there is none.
size_t WordPosition(int n, std::string_view s, std::string_view delimiters = TitleDelimiters);
// Word `n` of `s`; empty when there is none.
std::string ExtractWord(int n, std::string_view s, std::string_view delimiters = TitleDelimiters);
// Word `n` of `s` and its position (0 when there is none).
std::string ExtractWordPos(int n, std::string_view s, std::string_view delimiters, size_t& pos);

// Replaces the tree below `root` with the columns' titles (height =
// `titleHeight`, marker room for sorted columns) grouped by their leading
// caption words; adjacent columns are grouped only when they share the
// parent group. A leaf is as wide as `widths` says for its column (the width
// the grid shows it with, fitted or not), the column's Width where `widths`
// ends. Answers each column's leaf, in column order.
std::vector<THeadTreeNode*> BuildTitleTree(THeadTreeNode& root, const TDBGGridColumns& columns, int titleHeight,
                                           const std::vector<int>& widths = {});

// Heights of band texts written with word wrap, kept from one layout to
// the next, since most layouts measure the captions the last one did. Only
// the texts of the last layout are kept. A caption of Latin or Cyrillic
// words is not laid out at all: its lines are found by breaking it where the
// layout would, from the measured advances of its words, unless a break lies
// within a hair of the edge.
class TTitleTextHeights {
public:
    // Starts a layout's measuring with `font`; a new font forgets everything.
    // Texts are measured as far as `seen` pixels of them can be seen (the
    // grid's height): past that they are cut, as they are when painted.
    void Begin(const QFont& font, int seen = MaxTitleHeight);
    // The height of `text` wrapped into `width` pixels (at least 1).
    int Height(const std::string& text, int width);
    // The height of one line of text.
    int LineHeight() const { return m_latinLine; }
    // Texts of this layout that had to be laid out to be measured.
    int Layouts() const { return m_layouts; }
    // A text of this layout was cut: a grid higher than `seen` shows more.
    bool Cut() const { return m_cut; }

private:
    // The height of `text` when it surely fits on one line `width` pixels
    // wide, judged from the advances of its letters alone; 0 when unsure
    // (near the edge, or characters of other scripts).
    int OneLineHeight(std::string_view text, int width);
    // The height of `text` broken into lines at its spaces as the layout
    // breaks it; 0 when unsure.
    int WrappedHeight(std::string_view text, int width);
    struct WordWidth {
        qreal advance;
        qreal overhang;  // what the last letter reaches past its advance
    };
    // A word of Latin or Cyrillic letters and digits, measured once per font;
    // nullptr for anything else (an empty word, a mark the layout may break
    // at, a letter of a script the font may take from another font).
    const WordWidth* Word(std::string_view word);

    struct Key {
        std::string text;
        int width;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& key) const noexcept {
            return std::hash<std::string>()(key.text) ^ (static_cast<size_t>(key.width) * 0x9E3779B97F4A7C15u);
        }
    };
    struct WordHash {
        using is_transparent = void;
        size_t operator()(std::string_view word) const noexcept { return std::hash<std::string_view>()(word); }
    };
    QFont m_font;
    QFontMetrics m_metrics{QFont()};
    QFontMetricsF m_metricsF{QFont()};
    int m_seen = MaxTitleHeight;
    // A line of Latin and of Cyrillic text: a font without Cyrillic shows
    // it in a fallback font whose lines may be higher.
    int m_latinLine = 0;
    int m_cyrillicLine = 0;
    // The first of several wrapped lines and the step to each next one; 0
    // when lines of the two scripts differ, and words are not judged.
    int m_wrapLine = 0;
    int m_wrapPitch = 0;
    qreal m_space = 0;
    // Advances of the printable ASCII characters and of the Cyrillic block
    // U+0400..U+045F, measured on first use (-1 until then).
    std::array<int, 96> m_latin{};
    std::array<int, 96> m_cyrillic{};
    std::unordered_map<std::string, WordWidth, WordHash, std::equal_to<>> m_words;
    std::unordered_map<Key, int, KeyHash> m_last;
    std::unordered_map<Key, int, KeyHash> m_current;
    int m_layouts = 0;
    bool m_cut = false;
};

// Gives every node below `node` the height of its band, written with
// `font` (or as `heights` measures) and word wrap, so that leaves reach the
// bottom of the title row; answers the height of the levels below `node`
// (the title row is one less for the root), at most MaxTitleHeight. A leaf
// without text takes one line. Levels that reach past MaxTitleHeight give
// way from the bottom: the top levels keep their bands.
int TreeHeight(THeadTreeNode& node, const QFont& font);
int TreeHeight(THeadTreeNode& node, TTitleTextHeights& heights);

// How group cells are painted, from the grid's options and geometry.
struct TTitleGroupStyle {
    QColor Background;
    QFont Font;
    QColor TextColor{0, 0, 0};
    bool ColLines = true;
    bool RowLines = true;
    bool EndEllipsis = false;
    // Groups are painted only between these x (right one excluded): the
    // part of the title row the leaves they are drawn from lie in (past the
    // indicator; the frozen columns, or the scrolled ones beside them).
    int ClipLeft = 0;
    int ClipRight = INT_MAX;
    // Groups whose band starts here or lower are not painted.
    int ClipBottom = INT_MAX;
};

// The top of `leaf`'s band in its title cell. Every level's band ends
// on the line under it (the leaf's on the grid line under the title row),
// so the bands stacked from the bottom fill the row exactly.
int LeafTop(const QRect& cell, const THeadTreeNode& leaf);

// After `leaf`'s title cell (`cell`, the whole title cell) is painted:
// paints the groups above the leaf that this paint has not drawn yet, each
// once, and marks them drawn. A group is placed from the leaf's own place,
// so its part between ClipLeft and ClipRight covers exactly the columns of
// that part that belong to it; its text stays centred on the whole group.
void DrawTitleGroups(QPainter& painter, THeadTreeNode& leaf, const QRect& cell, const TTitleGroupStyle& style);

// Clears the drawn marks after a paint.
void ClearDrawn(THeadTreeNode& root);

} // namespace grid
