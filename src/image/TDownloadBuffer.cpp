#include "image/TDownloadBuffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace image {

TDownloadBuffer::TDownloadBuffer(std::string&& body)
    : m_body(std::move(body)), m_bytes(QByteArray::fromRawData(m_body.data(), qsizetype(m_body.size()))) {
    setBuffer(&m_bytes);
    open(QIODevice::ReadOnly);
}

void TDownloadBuffer::Discard(qint64 position) {
    static const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
    // A page of slack: readers step back over a byte they peeked at.
    const qint64 end = std::min<qint64>(position, qint64(m_body.size())) - qint64(page);
    if (end <= m_discarded) return;
    // Only pages wholly inside the body: the allocator's own bookkeeping may
    // share the first and the last.
    const auto base = reinterpret_cast<uintptr_t>(m_body.data());
    const uintptr_t from = (base + uintptr_t(m_discarded) + page - 1) & ~(page - 1);
    const uintptr_t to = (base + uintptr_t(end)) & ~(page - 1);
    if (to <= from) return;
    // The pages go back to the system; touched again they would read as zeros,
    // which readData forbids.
    madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
    m_discarded = qint64(to - base);
}

qint64 TDownloadBuffer::readData(char* data, qint64 maxSize) {
    if (pos() < m_discarded) {
        setErrorString(QStringLiteral("the bytes were already used"));
        return -1;
    }
    return QBuffer::readData(data, maxSize);
}

} // namespace image
