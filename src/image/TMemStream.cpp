#include "image/TMemStream.h"

#include "image/EImageError.h"

#include <algorithm>
#include <cstring>

namespace image {

TMemStream::Block TMemStream::s_emptyBlock;

TMemStream::TMemStream() {
    m_canRead = true;
    m_canWrite = true;
}

TMemStream::~TMemStream() { FreeChain(std::move(m_first)); }

// Frees a chain iteratively; letting unique_ptr recurse down a long chain
// could exhaust the stack.
void TMemStream::FreeChain(std::unique_ptr<Block> chain) {
    while (chain) chain = std::move(chain->next);
}

void TMemStream::Clear() {
    FreeChain(std::move(m_first));
    m_current = &s_emptyBlock;
    m_offset = 0;
    m_size = 0;
    m_position = 0;
}

int TMemStream::Write(const void* buf, int count) {
    if (count < 1) {
        m_size = std::max(m_size, m_position);
        return 0;
    }
    const char* src = static_cast<const char*>(buf);
    int left = count;
    while (left > 0) {
        if (m_offset == m_current->capacity) {
            Block* next = m_current == &s_emptyBlock ? m_first.get() : m_current->next.get();
            if (!next) {
                auto block = std::make_unique<Block>();
                block->capacity = std::max(BlockSize, left);
                block->data = std::make_unique_for_overwrite<char[]>(static_cast<size_t>(block->capacity));
                next = block.get();
                if (m_current == &s_emptyBlock)
                    m_first = std::move(block);
                else
                    m_current->next = std::move(block);
            }
            m_current = next;
            m_offset = 0;
        }
        const int n = std::min(left, m_current->capacity - m_offset);
        std::memcpy(m_current->data.get() + m_offset, src, static_cast<size_t>(n));
        m_offset += n;
        src += n;
        left -= n;
    }
    m_position += count;
    m_size = std::max(m_size, m_position);
    return count;
}

int TMemStream::Read(void* buf, int count) {
    char* dst = static_cast<char*>(buf);
    int done = 0;
    while (done < count && m_position < m_size) {
        if (m_offset == m_current->capacity) {
            Block* next = m_current == &s_emptyBlock ? m_first.get() : m_current->next.get();
            if (!next) break;
            m_current = next;
            m_offset = 0;
        }
        const int n = static_cast<int>(std::min<int64_t>(
            {static_cast<int64_t>(count - done), m_size - m_position,
             static_cast<int64_t>(m_current->capacity - m_offset)}));
        std::memcpy(dst + done, m_current->data.get() + m_offset, static_cast<size_t>(n));
        m_offset += n;
        m_position += n;
        done += n;
    }
    if (m_checkIO && done < count) throw EInOutError("Error reading from stream - TMemStream");
    return done;
}

void TMemStream::SetPosition(int64_t pos) {
    if (pos == m_position) return;
    if (pos < 0 || pos > m_size) throw EInOutError("Error moving stream pointer");
    if (pos < m_position) {
        m_current = m_first.get();
        m_offset = 0;
        m_position = 0;
    }
    bool firstStep = true;
    while (m_position < pos) {
        if (m_offset == m_current->capacity) {
            Block* next = m_current == &s_emptyBlock ? m_first.get() : m_current->next.get();
            if (!next) throw EImageError(firstStep ? "Error in MemStream.Seek" : "Error in MemStream.Seek 2");
            m_current = next;
            m_offset = 0;
        }
        const int n = static_cast<int>(
            std::min<int64_t>(pos - m_position, m_current->capacity - m_offset));
        m_offset += n;
        m_position += n;
        firstStep = false;
    }
}

void TMemStream::Truncate() {
    if (m_current != &s_emptyBlock) FreeChain(std::move(m_current->next));
    m_size = m_position;
}

std::vector<int> TMemStream::BlockCapacities() const {
    std::vector<int> caps;
    for (const Block* b = m_first.get(); b; b = b->next.get()) caps.push_back(b->capacity);
    return caps;
}

} // namespace image
