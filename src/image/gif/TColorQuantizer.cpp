#include "image/gif/TColorQuantizer.h"

#include <algorithm>

namespace image {

TColorQuantizer::TColorQuantizer(int maxColors, int colorBits)
    : m_maxColors(std::max(maxColors, 1)), m_colorBits(std::clamp(colorBits, 1, 8)) {
    m_nodes.reserve(4096);
}

int32_t TColorQuantizer::NewNode(int level) {
    int32_t id;
    if (!m_free.empty()) {
        id = m_free.back();
        m_free.pop_back();
        m_nodes[size_t(id)] = TOctreeNode{};
    } else {
        id = static_cast<int32_t>(m_nodes.size());
        m_nodes.emplace_back();
    }
    TOctreeNode& node = m_nodes[size_t(id)];
    if (level == m_colorBits) {
        node.IsLeaf = true;
        ++m_leafCount;
    } else {
        node.Next = m_reducibleNodes[size_t(level)];
        m_reducibleNodes[size_t(level)] = id;
    }
    return id;
}

void TColorQuantizer::FreeNode(int32_t id) {
    for (int32_t child : m_nodes[size_t(id)].Children)
        if (child >= 0) FreeNode(child);
    m_free.push_back(id);
}

void TColorQuantizer::AddColor(uint8_t red, uint8_t green, uint8_t blue) {
    if (m_root < 0) m_root = NewNode(0);
    int32_t id = m_root;
    for (int level = 0;; ++level) {
        TOctreeNode& node = m_nodes[size_t(id)];
        if (node.IsLeaf) {
            ++node.PixelCount;
            node.RedSum += red;
            node.GreenSum += green;
            node.BlueSum += blue;
            break;
        }
        const int shift = 7 - level;
        const size_t child = size_t((((red >> shift) & 1) << 2) | (((green >> shift) & 1) << 1) | ((blue >> shift) & 1));
        int32_t next = node.Children[child];
        if (next < 0) {
            next = NewNode(level + 1);  // may move the pool: index again
            m_nodes[size_t(id)].Children[child] = next;
        }
        id = next;
    }
    while (m_leafCount > m_maxColors) ReduceTree();
}

void TColorQuantizer::ReduceTree() {
    int level = m_colorBits - 1;
    while (level > 0 && m_reducibleNodes[size_t(level)] < 0) --level;
    const int32_t id = m_reducibleNodes[size_t(level)];
    if (id < 0) return;
    TOctreeNode& node = m_nodes[size_t(id)];
    m_reducibleNodes[size_t(level)] = node.Next;

    int children = 0;
    for (int32_t& child : node.Children) {
        if (child < 0) continue;
        const TOctreeNode& c = m_nodes[size_t(child)];
        node.PixelCount += c.PixelCount;
        node.RedSum += c.RedSum;
        node.GreenSum += c.GreenSum;
        node.BlueSum += c.BlueSum;
        FreeNode(child);
        child = -1;
        ++children;
    }
    node.IsLeaf = true;
    m_leafCount += 1 - children;
}

void TColorQuantizer::Walk(int32_t id, std::vector<TRGBTriple>& table) const {
    const TOctreeNode& node = m_nodes[size_t(id)];
    if (node.IsLeaf) {
        if (node.PixelCount == 0) {
            table.push_back({});
        } else {
            const int64_t n = node.PixelCount;
            table.push_back({uint8_t(node.RedSum / n), uint8_t(node.GreenSum / n), uint8_t(node.BlueSum / n)});
        }
        return;
    }
    for (int32_t child : node.Children)
        if (child >= 0) Walk(child, table);
}

std::vector<TRGBTriple> TColorQuantizer::ColorTable() const {
    std::vector<TRGBTriple> table;
    if (m_root >= 0) Walk(m_root, table);
    return table;
}

} // namespace image
