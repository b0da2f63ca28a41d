#pragma once
// One data sub-block kept as raw bytes (1..255 of them), for extensions whose
// body the codec does not interpret.

#include <cstdint>
#include <vector>

class QIODevice;

namespace image {

class TGIFBlock {
public:
    explicit TGIFBlock(uint8_t size = 0) : m_data(size) {}

    int Size() const { return static_cast<int>(m_data.size()); }
    const uint8_t* Data() const { return m_data.data(); }
    uint8_t* Data() { return m_data.data(); }

    // Reads Size bytes; fewer raise "Premature end of data".
    void LoadFromStream(QIODevice& stream);

    // Writes the size byte and the data.
    void SaveToStream(QIODevice& stream) const;
    // Writes every block, then the zero-length terminator.
    static void SaveBlocks(QIODevice& stream, const std::vector<TGIFBlock>& blocks);

    // Replaces `blocks` with the sub-blocks at the stream position, up to and
    // including the zero-length block; a missing length byte ends the list
    // quietly, a sub-block cut short raises "Premature end of data".
    static void LoadBlocks(QIODevice& stream, std::vector<TGIFBlock>& blocks);

private:
    std::vector<uint8_t> m_data;
};

} // namespace image
