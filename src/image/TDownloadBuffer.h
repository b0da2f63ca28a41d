#pragma once
// A downloaded body read as a QBuffer that may be used up as it is read: a
// decoder that reads it once from the front hands back the memory of the
// bytes it is done with (Discard), so a photo's download and its picture
// never take their whole size side by side. Bytes handed back cannot be
// read again: a read there fails instead of giving wrong bytes.

#include <QBuffer>
#include <QByteArray>
#include <string>

namespace image {

class TDownloadBuffer : public QBuffer {
public:
    // Takes the body over; the buffer is open for reading at position 0.
    explicit TDownloadBuffer(std::string&& body);

    // Gives back the whole memory pages of the bytes a page or more before
    // `position`; the bytes before the first page given back count as gone
    // too. Nothing for a position that frees no further page.
    void Discard(qint64 position);
    // The bytes before this position are gone.
    qint64 Discarded() const { return m_discarded; }

protected:
    // Fails (-1) at a position whose bytes are gone.
    qint64 readData(char* data, qint64 maxSize) override;

private:
    std::string m_body;
    QByteArray m_bytes;
    qint64 m_discarded = 0;
};

} // namespace image
