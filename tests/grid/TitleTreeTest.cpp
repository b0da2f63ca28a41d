// Multi-level titles: captions split at "|" grouped into a tree over
// adjacent columns, the band heights (of deep and of empty captions too),
// and the painted group cells.
#include "grid/TColumnTitle.h"
#include "grid/TDBGColumn.h"
#include "grid/TDBGGridColumns.h"
#include "grid/TitleTree.h"

#include <QImage>
#include <QPainter>
#include <QThread>

#include <gtest/gtest.h>

#include <climits>

namespace {

using grid::THeadTreeNode;

// "X[a b] Y": every node's text, children in brackets.
std::string Dump(const THeadTreeNode& node) {
    std::string out;
    const THeadTreeNode* child = node.Child();
    if (!child) return out;
    do {
        if (!out.empty()) out += ' ';
        out += child->Text;
        if (child->Child()) out += "[" + Dump(*child) + "]";
        child = child->Next();
    } while (child != node.Child());
    return out;
}

struct Titles {
    grid::TDBGGridColumns columns{nullptr};
    THeadTreeNode root{"корень", 0, 10};
    std::vector<THeadTreeNode*> leaves;

    Titles(std::initializer_list<const char*> captions, int width = 50) {
        for (const char* caption : captions) {
            grid::TDBGColumn& column = columns.Add();
            column.Title().SetCaption(caption);
            column.SetWidth(width);
        }
        leaves = grid::BuildTitleTree(root, columns, 18);
    }
    std::string Tree() const { return Dump(root); }
};

TEST(TitleTree, CaptionsFormGroupsLevelByLevel) {
    EXPECT_EQ(Titles({"A", "B"}).Tree(), "A B");
    EXPECT_EQ(Titles({"X|a", "X|b", "Y"}).Tree(), "X[a b] Y");
    EXPECT_EQ(Titles({"X|a", "Z", "X|b"}).Tree(), "X[a] Z X[b]");
    EXPECT_EQ(Titles({"|a"}).Tree(), "|a") << "leading delimiters are skipped";
    EXPECT_EQ(Titles({"Анкета|Возраст|от", "Анкета|Возраст|до", "Анкета|Город", "Фото"}).Tree(),
              "Анкета[Возраст[от до] Город] Фото");
    EXPECT_EQ(Titles({"A|B|C|D", "A|B|C|E", "A|B|F", "A|G"}).Tree(), "A[B[C[D E] F] G]");
    // Equal parts under different parents stay apart.
    EXPECT_EQ(Titles({"A|X|c", "X|d"}).Tree(), "A[X[c]] X[d]");
    EXPECT_EQ(Titles({"A|X|c", "B|X|d"}).Tree(), "A[X[c]] B[X[d]]");
    EXPECT_EQ(Titles({"A", "A||B", "A"}).Tree(), "A A[|B ]") << "one word joins a group on its left, starts none";

    Titles t({"X|a", "X|b", "Y"});
    ASSERT_EQ(t.leaves.size(), 3u);
    EXPECT_EQ(t.leaves[1]->Text, "b");
    EXPECT_EQ(t.leaves[0]->Parent()->Width, 101) << "two columns of 50 and the line between";
    EXPECT_EQ(t.columns[0].Title().Caption(), "X|a") << "the columns keep their captions";

    // A group of columns wider together than an int holds stops at its end.
    for (int i = 0; i < 200; ++i) {
        grid::TDBGColumn& column = t.columns.Add();
        column.Title().SetCaption("W|w");
        column.SetWidth(INT_MAX);
    }
    EXPECT_EQ(grid::BuildTitleTree(t.root, t.columns, 18).back()->Parent()->Width, INT_MAX);
}

TEST(TitleTree, NodeOperationsCheckTheirArguments) {
    THeadTreeNode root("корень", 0, 10);
    THeadTreeNode other;
    THeadTreeNode* a = root.AddChild(&root, "a", 10, 20);
    THeadTreeNode* b = root.Add(a, "b", 10, 20);
    THeadTreeNode* c = root.AddChild(&root, "c", 10, 20);
    EXPECT_EQ(a->Next(), b);
    EXPECT_EQ(c->Next(), a) << "siblings form a ring";
    EXPECT_TRUE(root.Find(c));
    EXPECT_FALSE(root.Find(&other));
    auto expectError = [](auto op, const char* text) {
        try {
            op();
            ADD_FAILURE() << "no error, expected " << text;
        } catch (const grid::EInvalidGridOperation& e) {
            EXPECT_STREQ(e.what(), text);
        }
    };
    expectError([&] { root.AddChild(&other, "x", 1, 1); }, "Node not in Tree");
    expectError([&] { root.Union(&other, &other, 5, "x"); }, "Node not in Tree");
    expectError([&] { root.Union(b, a, 5, "x"); }, "ATo not in level");
    THeadTreeNode* g = root.Union(b, c, 5, "g");
    EXPECT_EQ(Dump(root), "a g[b c]");
    EXPECT_EQ(g->Width, 21);
    EXPECT_EQ(b->Height, 15);

    EXPECT_EQ(grid::WordPosition(2, "||ab|cd"), 6u);
    EXPECT_EQ(grid::ExtractWord(2, "||ab|cd"), "cd");
    EXPECT_EQ(grid::ExtractWord(3, "||ab|cd"), "");
    EXPECT_EQ(grid::WordPosition(1, "|||"), 0u);
}

TEST(TitleTree, LeavesReachTheBottomAndGroupsPaintOnce) {
    Titles t({"Группа|a", "Группа|b", "Y"}, 60);
    const QFont font("Sans", 9);
    const int height = grid::TreeHeight(t.root, font);
    THeadTreeNode* group = t.leaves[0]->Parent();
    EXPECT_EQ(t.leaves[0]->Height + group->Height, height);
    EXPECT_EQ(t.leaves[1]->Height, t.leaves[0]->Height);
    EXPECT_EQ(t.leaves[2]->Height, height);
    EXPECT_GT(group->Height, 10);

    QImage image(200, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    grid::TTitleGroupStyle style{QColor(Qt::lightGray), font};
    const QRect cell(0, 0, 60, height - 1);
    grid::DrawTitleGroups(painter, *t.leaves[0], cell, style);
    EXPECT_TRUE(group->Drawn);
    const int line = grid::LeafTop(cell, *t.leaves[0]) - 1;
    EXPECT_EQ(line, group->Height - 1) << "the group's band ends on its line, right above the leaf's";
    EXPECT_EQ(image.pixelColor(100, line), QColor(Qt::black)) << "the group spans both columns";
    EXPECT_EQ(image.pixelColor(150, line), QColor(Qt::white));
    image.fill(Qt::white);
    grid::DrawTitleGroups(painter, *t.leaves[1], cell.translated(61, 0), style);
    EXPECT_EQ(image.pixelColor(100, line), QColor(Qt::white)) << "a group is painted once per paint";
    painter.end();
    grid::ClearDrawn(t.root);
    EXPECT_FALSE(group->Drawn);
}

TEST(TitleTree, DeepAndEmptyCaptionsGetTheirHeights) {
    // 100,000 levels are built, measured, walked and freed without a call
    // per level.
    std::string caption;
    for (int i = 0; i < 100000; ++i) caption += "L" + std::to_string(i) + "|";
    const uint64_t steps = THeadTreeNode::Steps();
    Titles deep({(caption + "a").c_str()}, 80);
    EXPECT_LT(THeadTreeNode::Steps() - steps, 100000u) << "no walk to the root per node";
    const QFont font("Sans", 9);
    auto height = [&](Titles&& titles) { return grid::TreeHeight(titles.root, font); };
    const int level = height(Titles({"a"}));
    EXPECT_EQ(grid::TreeHeight(deep.root, font), 100001 * level);
    int nodes = 0;
    std::unique_ptr<QThread> walk(
        QThread::create([&] { deep.root.ForEach([&](THeadTreeNode&) { ++nodes; }), deep.root.FreeAllChild(); }));
    walk->setStackSize(256 * 1024);
    walk->start();
    walk->wait();
    EXPECT_EQ(nodes, 100002);
    EXPECT_EQ(height(Titles({"", ""})), level) << "an empty caption takes a line";

    // Levels higher together than a row can be give way from the bottom.
    const QFont huge("Sans", 1500);
    Titles high({(caption.substr(0, caption.find("L10000|")) + "a").c_str()}, 1 << 20), top({"L0"});
    EXPECT_EQ(grid::TreeHeight(high.root, huge), grid::MaxTitleHeight);
    EXPECT_EQ(high.root.Child()->Height, grid::TreeHeight(top.root, huge)) << "the top level keeps its band";
}

TEST(TitleTree, WrappedWordsAreMeasuredAsLaidOutAndOnlyAsFarAsSeen) {
    const QFont font("Sans", 9);
    grid::TTitleTextHeights heights;
    heights.Begin(font);
    for (const char* text : {"Анкета знакомства возраст", "Wolf Ёж Wolf город 13980", "Абвгдежзийклмн аб", "вес Wolf вес"})
        for (int width : {30, 76, 120})
            EXPECT_EQ(heights.Height(text, width), QFontMetrics(font).boundingRect(0, 0, width, 1 << 20, Qt::TextWordWrap, text).height()) << text << width;
    EXPECT_EQ(heights.Layouts(), 0) << "words are judged by their advances";
    heights.Begin(font, 100);
    const int height = heights.Height(QString("аб, ").repeated(300000).toStdString(), 50);
    EXPECT_TRUE(heights.Cut() && height > 100 && height < 10000) << height << " px seen of 2,100,000";
}

} // namespace
