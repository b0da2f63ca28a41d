#include "image/THostFilterStream.h"

#include "image/EImageError.h"

#include <QBuffer>
#include <QFileDevice>
#include <QIODevice>

namespace image {

THostFilterStream::THostFilterStream(QIODevice& stream) : m_stream(&stream) {
    m_canRead = true;
    m_canWrite = true;
}

int THostFilterStream::Read(void* buf, int count) {
    if (count < 1) return 0;
    const qint64 got = m_stream->read(static_cast<char*>(buf), count);
    if (got < 0) {
        // QIODevice reports the end of a sequential device as -1 too.
        if (m_stream->isOpen() && m_stream->isReadable() && m_stream->atEnd()) return 0;
        throw EInOutError("Error reading from stream - " + m_stream->errorString().toStdString());
    }
    return static_cast<int>(got);
}

int THostFilterStream::Write(const void* buf, int count) {
    if (count < 1) return 0;
    const qint64 put = m_stream->write(static_cast<const char*>(buf), count);
    if (put < 0)
        throw EInOutError("Error writing to stream - " + m_stream->errorString().toStdString());
    return static_cast<int>(put);
}

int64_t THostFilterStream::Available() const {
    if (m_stream->isSequential()) return m_stream->bytesAvailable();
    const qint64 left = m_stream->size() - m_stream->pos();
    return left > 0 ? left : 0;
}

int64_t THostFilterStream::GetPosition() const { return m_stream->pos(); }

int64_t THostFilterStream::GetSize() const { return m_stream->size(); }

void THostFilterStream::SetPosition(int64_t pos) {
    if (!m_stream->seek(pos)) throw EInOutError("Error moving stream pointer");
}

void THostFilterStream::Truncate() {
    const qint64 pos = m_stream->pos();
    if (auto* buffer = qobject_cast<QBuffer*>(m_stream)) {
        buffer->buffer().truncate(pos);
        return;
    }
    if (auto* file = qobject_cast<QFileDevice*>(m_stream)) {
        if (!file->resize(pos))
            throw EInOutError("Error truncating file \"" + file->fileName().toStdString() + "\" - " +
                              file->errorString().toStdString());
        return;
    }
    throw EStreamError("Truncating not supported");
}

} // namespace image
