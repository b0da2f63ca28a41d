#pragma once
// Presents a library stream to Qt code as a sequential QIODevice. The device
// is open (unbuffered, so no bytes are read ahead of the consumer) in the
// directions the library stream supports.

#include "image/TBaseStream.h"

#include <QIODevice>

namespace image {

class THostStream : public QIODevice {
public:
    // `source` is borrowed. Its CheckIO is switched off while the adapter
    // lives (a Qt consumer expects short reads, not exceptions) and restored
    // by the destructor.
    explicit THostStream(TBaseStream& source);
    ~THostStream() override;

    TBaseStream& Source() const { return *m_source; }

    bool isSequential() const override { return true; }
    // Raises EStreamError "Seeking not supported".
    bool seek(qint64 pos) override;
    qint64 bytesAvailable() const override;

protected:
    // Errors of the library stream pass through as exceptions.
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

    void OpenOver(TBaseStream& source);

    TBaseStream* m_source;
    bool m_restoreCheckIO = false;
};

} // namespace image
