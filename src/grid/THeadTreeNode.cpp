#include "grid/THeadTreeNode.h"

#include "grid/GridTypes.h"

#include <utility>

namespace grid {
namespace {

[[noreturn]] void NotInTree() { throw EInvalidGridOperation("Node not in Tree"); }

uint64_t g_steps = 0;

} // namespace

THeadTreeNode::THeadTreeNode(std::string text, int width, int height)
    : Text(std::move(text)), Height(height), Width(width) {}

THeadTreeNode::~THeadTreeNode() { FreeAllChild(); }

void THeadTreeNode::FreeAllChild() {
    // Children are unhooked before they go, so no destructor below frees a
    // subtree of its own: a tree of any depth is freed from one list.
    std::vector<THeadTreeNode*> doomed;
    auto take = [&doomed](THeadTreeNode* first) {
        THeadTreeNode* node = first;
        do {
            doomed.push_back(node);
            node = node->m_next;
        } while (node != first);
    };
    if (THeadTreeNode* first = std::exchange(m_child, nullptr)) take(first);
    while (!doomed.empty()) {
        THeadTreeNode* gone = doomed.back();
        doomed.pop_back();
        if (THeadTreeNode* child = std::exchange(gone->m_child, nullptr)) take(child);
        delete gone;
    }
}

bool THeadTreeNode::Find(const THeadTreeNode* node) const {
    // Every node of the tree reaches its root through its parents.
    for (; node; node = node->m_parent, ++g_steps)
        if (node == this) return true;
    return false;
}

uint64_t THeadTreeNode::Steps() { return g_steps; }

void THeadTreeNode::ForEach(const std::function<void(THeadTreeNode&)>& visit) {
    // Down to the first child, on to the next sibling, up where a ring ends.
    THeadTreeNode* node = this;
    for (;;) {
        visit(*node);
        if (node->m_child) {
            node = node->m_child;
            continue;
        }
        while (node != this && node->m_next == node->m_parent->m_child) node = node->m_parent;
        if (node == this) return;
        node = node->m_next;
    }
}

THeadTreeNode* THeadTreeNode::Insert(THeadTreeNode* parent, THeadTreeNode* after, std::string text, int width,
                                     int height) {
    auto* added = new THeadTreeNode(std::move(text), width, height);
    added->m_parent = parent;
    if (!parent->m_child) {
        parent->m_child = added;
        return added;
    }
    if (!after) {
        after = parent->m_child;
        for (; after->m_next != parent->m_child; ++g_steps) after = after->m_next;
    }
    added->m_next = after->m_next;
    after->m_next = added;
    return added;
}

THeadTreeNode* THeadTreeNode::AddChild(THeadTreeNode* node, std::string text, int width, int height) {
    if (!node || !Find(node)) NotInTree();
    return Insert(node, nullptr, std::move(text), width, height);
}

THeadTreeNode* THeadTreeNode::Add(THeadTreeNode* after, std::string text, int width, int height) {
    // The root has no siblings.
    if (!after || !after->m_parent || !Find(after)) NotInTree();
    return Insert(after->m_parent, after, std::move(text), width, height);
}

THeadTreeNode* THeadTreeNode::Union(THeadTreeNode* from, THeadTreeNode* to, int height, std::string text) {
    if (!from || !from->m_parent || !Find(from)) NotInTree();
    THeadTreeNode* parent = from->m_parent;
    for (THeadTreeNode* node = from;; node = node->m_next) {
        if (node == to) break;
        if (node->m_next == parent->m_child) throw EInvalidGridOperation("ATo not in level");
    }

    auto* group = new THeadTreeNode(std::move(text), 0, height);
    group->m_parent = parent;
    group->m_next = to->m_next;
    to->m_next = group;

    THeadTreeNode* before = parent->m_child;
    while (before->m_next != from) before = before->m_next;
    before->m_next = group;
    group->m_child = from;
    if (parent->m_child == from) parent->m_child = group;

    int sum = 0;
    for (THeadTreeNode* node = from;; node = node->m_next) {
        sum += node->Width + 1;
        node->Height -= height;
        node->m_parent = group;
        if (node == to) break;
    }
    to->m_next = from;
    group->Width = sum - 1;
    return group;
}

} // namespace grid
