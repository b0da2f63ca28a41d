#pragma once
// Presents a Qt QIODevice (a QBuffer of downloaded bytes, a QFile) to the
// library as a seekable stream, so that loaders can read it.

#include "image/TSeekableStream.h"

class QIODevice;

namespace image {

class THostFilterStream : public TSeekableStream {
public:
    // `stream` is borrowed and must be open. The stream counts as readable
    // and writable; the device's own mode decides what actually works.
    explicit THostFilterStream(QIODevice& stream);

    QIODevice& Stream() const { return *m_stream; }

    // Returns what the device delivered (short at its end, whatever CheckIO
    // says); a device error raises EInOutError
    // "Error reading from stream - <device error>".
    int Read(void* buf, int count) override;
    // A device error raises EInOutError "Error writing to stream - <error>".
    int Write(const void* buf, int count) override;
    // Size - position; for a sequential device, the bytes it has ready.
    int64_t Available() const override;
    int64_t GetPosition() const override;
    int64_t GetSize() const override;
    // A position the device refuses raises EInOutError "Error moving stream pointer".
    void SetPosition(int64_t pos) override;
    // Cuts a QBuffer or a file at the position; other devices raise
    // EStreamError "Truncating not supported".
    void Truncate() override;

private:
    QIODevice* m_stream;
};

} // namespace image
