#include "image/THostStream.h"

#include "image/EImageError.h"

#include <algorithm>
#include <climits>

namespace image {

THostStream::THostStream(TBaseStream& source) : m_source(&source) { OpenOver(source); }

void THostStream::OpenOver(TBaseStream& source) {
    m_restoreCheckIO = source.CheckIO();
    source.SetCheckIO(false);
    OpenMode mode = NotOpen;
    if (source.CanRead()) mode |= ReadOnly;
    if (source.CanWrite()) mode |= WriteOnly;
    if (mode != NotOpen) open(mode | Unbuffered);
}

THostStream::~THostStream() {
    if (m_restoreCheckIO) m_source->SetCheckIO(true);
}

bool THostStream::seek(qint64) { throw EStreamError("Seeking not supported"); }

qint64 THostStream::bytesAvailable() const {
    return m_source->Available() + QIODevice::bytesAvailable();
}

qint64 THostStream::readData(char* data, qint64 maxSize) {
    const int want = static_cast<int>(std::min<qint64>(maxSize, INT_MAX));
    return std::max(0, m_source->Read(data, want));
}

qint64 THostStream::writeData(const char* data, qint64 maxSize) {
    const int want = static_cast<int>(std::min<qint64>(maxSize, INT_MAX));
    return std::max(0, m_source->Write(data, want));
}

} // namespace image
