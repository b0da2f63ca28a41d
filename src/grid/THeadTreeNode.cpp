#include "grid/THeadTreeNode.h"

#include "grid/GridTypes.h"

namespace grid {
namespace {

[[noreturn]] void NotInTree() { throw EInvalidGridOperation("Node not in Tree"); }

} // namespace

THeadTreeNode::THeadTreeNode(std::string text, int width, int height)
    : Text(std::move(text)), Height(height), Width(width) {}

THeadTreeNode::~THeadTreeNode() { FreeAllChild(); }

void THeadTreeNode::FreeAllChild() {
    THeadTreeNode* first = std::exchange(m_child, nullptr);
    if (!first) return;
    THeadTreeNode* node = first;
    do {
        THeadTreeNode* next = node->m_next;
        delete node;
        node = next;
    } while (node != first);
}

bool THeadTreeNode::Find(const THeadTreeNode* node) const {
    // Every node of the tree reaches its root through its parents.
    for (; node; node = node->m_parent)
        if (node == this) return true;
    return false;
}

void THeadTreeNode::ForEach(const std::function<void(THeadTreeNode&)>& visit) {
    visit(*this);
    if (THeadTreeNode* child = m_child) {
        do {
            child->ForEach(visit);
            child = child->m_next;
        } while (child != m_child);
    }
}

THeadTreeNode* THeadTreeNode::AddChild(THeadTreeNode* node, std::string text, int width, int height) {
    if (!node || !Find(node)) NotInTree();
    auto* added = new THeadTreeNode(std::move(text), width, height);
    added->m_parent = node;
    if (!node->m_child) {
        node->m_child = added;
        return added;
    }
    THeadTreeNode* last = node->m_child;
    while (last->m_next != node->m_child) last = last->m_next;
    last->m_next = added;
    added->m_next = node->m_child;
    return added;
}

THeadTreeNode* THeadTreeNode::Add(THeadTreeNode* after, std::string text, int width, int height) {
    // The root has no siblings.
    if (!after || !after->m_parent || !Find(after)) NotInTree();
    auto* added = new THeadTreeNode(std::move(text), width, height);
    added->m_parent = after->m_parent;
    added->m_next = after->m_next;
    after->m_next = added;
    return added;
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
