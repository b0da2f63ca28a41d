#pragma once
// One node of a multi-level title: the root holds one child per column at
// first; grouping puts runs of sibling columns under a new node. Siblings
// form a ring through Next (a single child points to itself); a node owns
// its children, so freeing a node frees its subtree. Trees may be as deep as
// a caption has words: nothing here recurses per level.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace grid {

class TDBGGridColumns;

class THeadTreeNode {
public:
    THeadTreeNode() = default;
    THeadTreeNode(std::string text, int width, int height);
    // Frees the subtree below the node.
    ~THeadTreeNode();
    THeadTreeNode(const THeadTreeNode&) = delete;
    THeadTreeNode& operator=(const THeadTreeNode&) = delete;

    THeadTreeNode* Parent() const { return m_parent; }
    // The first child; nullptr for a leaf.
    THeadTreeNode* Child() const { return m_child; }
    // The next sibling in the ring; the node itself when it has none.
    THeadTreeNode* Next() const { return m_next; }

    std::string Text;
    int Height = 0;
    int Width = 0;
    // Room kept free for a sort marker.
    int MarkerWidth = 0;
    // Painted in the current paint.
    bool Drawn = false;

    // Appends a new last child to `node`, which must lie in this tree;
    // throws EInvalidGridOperation "Node not in Tree" otherwise.
    THeadTreeNode* AddChild(THeadTreeNode* node, std::string text, int width, int height);
    // Inserts a new sibling right after `after` (not the root), which must lie
    // in this tree; throws "Node not in Tree" otherwise.
    THeadTreeNode* Add(THeadTreeNode* after, std::string text, int width, int height);
    // Puts the siblings `from` .. `to` under a new node of their parent and
    // returns it; every grouped node loses `height` and the new node is as
    // wide as the group (one pixel of line between neighbours). Throws "Node
    // not in Tree" for a `from` outside the tree, "ATo not in level" for a
    // `to` that does not follow `from` among its siblings.
    THeadTreeNode* Union(THeadTreeNode* from, THeadTreeNode* to, int height, std::string text);
    void FreeAllChild();
    // Whether `node` lies in this node's tree (the node itself included).
    bool Find(const THeadTreeNode* node) const;
    // Calls `visit` for this node and every node below it, each parent
    // before its children.
    void ForEach(const std::function<void(THeadTreeNode&)>& visit);
    // The nodes that finding and inserting have stepped over, all trees
    // together: how much work building a title took.
    static uint64_t Steps();

private:
    // The tree builder appends where it knows the node lies in the tree, so
    // it skips the walk up to the root that Add and AddChild check with.
    friend std::vector<THeadTreeNode*> BuildTitleTree(THeadTreeNode&, const TDBGGridColumns&, int,
                                                      const std::vector<int>&);
    // A new child of `parent` right after `after` (its last child when
    // `after` is nullptr).
    static THeadTreeNode* Insert(THeadTreeNode* parent, THeadTreeNode* after, std::string text, int width, int height);

    THeadTreeNode* m_parent = nullptr;
    THeadTreeNode* m_child = nullptr;
    THeadTreeNode* m_next = this;
};

} // namespace grid
