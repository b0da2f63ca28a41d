#include "image/gif/TGIFWriter.h"

#include "image/gif/GIFStreamUtils.h"

namespace image {

void TGIFWriter::CloseBlock() {
    m_chunk[static_cast<size_t>(m_blockStart)] = static_cast<uint8_t>(m_pos - m_blockStart - 1);
    if (m_pos + MaxBlock + 1 > ChunkSize) {
        WriteCheck(m_stream, m_chunk.data(), m_pos);
        m_flushed += m_pos;
        m_pos = 0;
    }
    m_blockStart = m_pos++;
}

void TGIFWriter::Flush() {
    if (m_pos - m_blockStart > 1)
        m_chunk[static_cast<size_t>(m_blockStart)] = static_cast<uint8_t>(m_pos - m_blockStart - 1);
    else
        m_pos = m_blockStart;  // an empty open block is not written
    WriteCheck(m_stream, m_chunk.data(), m_pos);
    m_flushed += m_pos;
    m_blockStart = 0;
    m_pos = 1;
}

} // namespace image
