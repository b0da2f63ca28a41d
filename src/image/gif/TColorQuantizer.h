#pragma once
// The octree colour quantizer. Every colour fed descends the tree by one bit
// of each channel per level (most significant first) down to a leaf at level
// ColorBits; leaves sum the pixels that reach them. Whenever there are more
// leaves than MaxColors, the most recently created inner node of the deepest
// level that still has inner nodes is folded into a leaf, so the tree never
// holds more than MaxColors leaves after a colour is added. The palette is
// the leaves' average colours, depth first, children in order 0..7.
//
// Nodes live in one pool and refer to each other by index; freed nodes are
// reused. Sums are 64-bit, so no image the library accepts overflows them.

#include "image/gif/ColorReductionTables.h"

#include <array>
#include <cstdint>
#include <vector>

namespace image {

class TColorQuantizer {
public:
    // `maxColors` >= 1 leaves at most; `colorBits` 1..8 levels.
    TColorQuantizer(int maxColors, int colorBits);

    // Adds one pixel, then reduces the tree to MaxColors leaves.
    void AddColor(uint8_t red, uint8_t green, uint8_t blue);
    int LeafCount() const { return m_leafCount; }
    // The leaves' average colours (black for a leaf without pixels), depth
    // first; at most MaxColors entries, none before the first AddColor.
    std::vector<TRGBTriple> ColorTable() const;

private:
    struct TOctreeNode {
        bool IsLeaf = false;
        int64_t PixelCount = 0, RedSum = 0, GreenSum = 0, BlueSum = 0;
        int32_t Next = -1;  // the next node in its level's reducible list
        std::array<int32_t, 8> Children{-1, -1, -1, -1, -1, -1, -1, -1};
    };

    int32_t NewNode(int level);
    void FreeNode(int32_t id);
    void ReduceTree();
    void Walk(int32_t id, std::vector<TRGBTriple>& table) const;

    std::vector<TOctreeNode> m_nodes;
    std::vector<int32_t> m_free;
    int32_t m_root = -1;
    int m_leafCount = 0;
    std::array<int32_t, 8> m_reducibleNodes{-1, -1, -1, -1, -1, -1, -1, -1};
    int m_maxColors;
    int m_colorBits;
};

} // namespace image
