#include "image/TSeekableHostStream.h"

#include "image/EImageError.h"

namespace image {

TSeekableHostStream::TSeekableHostStream(TSeekableStream& source) : THostStream(source) {
    // QIODevice::open starts at 0; line the device up with the stream.
    if (isOpen()) QIODevice::seek(source.GetPosition());
}

bool TSeekableHostStream::seek(qint64 pos) {
    Seekable().SetPosition(pos);
    return QIODevice::seek(pos);
}

qint64 TSeekableHostStream::size() const { return Seekable().GetSize(); }

qint64 TSeekableHostStream::bytesAvailable() const {
    const qint64 left = Seekable().GetSize() - Seekable().GetPosition();
    return std::max<qint64>(0, left) + QIODevice::bytesAvailable();
}

qint64 TSeekableHostStream::Seek(qint64 offset, int origin) {
    qint64 target;
    switch (origin) {
    case 0: target = offset; break;
    case 1: target = offset + Seekable().GetPosition(); break;
    case 2: target = offset + Seekable().GetSize(); break;
    default: throw EStreamError("Unknown seek origin");
    }
    seek(target);
    return target;
}

void TSeekableHostStream::SetSize(qint64 newSize) {
    const qint64 old = Seekable().GetPosition();
    if (newSize >= Seekable().GetSize()) {
        seek(newSize);
        seek(old);
        return;
    }
    seek(newSize);
    Seekable().Truncate();
    if (old < newSize) seek(old);
}

} // namespace image
