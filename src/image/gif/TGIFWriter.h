#pragma once
// Cuts the compressed pixel data of a frame into GIF data sub-blocks: a
// length byte (1..255) and that many bytes. Whole sub-blocks are gathered in
// a small chunk and handed to the device together, so a frame costs a few
// device writes rather than one per sub-block.

#include <array>
#include <cstdint>

class QIODevice;

namespace image {

class TGIFWriter {
public:
    explicit TGIFWriter(QIODevice& stream) : m_stream(stream) {}
    TGIFWriter(const TGIFWriter&) = delete;
    TGIFWriter& operator=(const TGIFWriter&) = delete;

    // Adds one data byte; a sub-block is closed when it holds 255.
    void Write(uint8_t value) {
        m_chunk[m_pos++] = value;
        if (m_pos - m_blockStart == MaxBlock + 1) CloseBlock();
    }
    // The bytes taken so far, length bytes included.
    int64_t Written() const { return m_flushed + m_pos; }
    // Writes the last, partial sub-block and everything still held. It does
    // not write the zero-length terminator. A device that does not take the
    // bytes raises EInOutError "Stream write error".
    void Flush();

private:
    static constexpr int MaxBlock = 255;
    static constexpr int ChunkSize = 16 * (MaxBlock + 1);

    void CloseBlock();

    QIODevice& m_stream;
    std::array<uint8_t, ChunkSize> m_chunk{};
    // The length byte of the open sub-block sits at m_blockStart; its data
    // runs from there to m_pos.
    int m_blockStart = 0;
    int m_pos = 1;
    int64_t m_flushed = 0;  // bytes handed to the device
};

} // namespace image
