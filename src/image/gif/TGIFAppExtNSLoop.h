#pragma once
// The looping application extension ("NETSCAPE2.0", also read under
// "ANIMEXTS1.0"): how often an animation repeats, and an optional buffer
// size. Other sub-blocks in it are skipped.

#include "image/gif/TGIFApplicationExtension.h"

#include <cstdint>

namespace image {

class TGIFAppExtNSLoop : public TGIFApplicationExtension {
public:
    static const TGIFExtensionClass& Class();

    // The identifier starts as "NETSCAPE2.0".
    explicit TGIFAppExtNSLoop(TGIFSubImage* subImage);

    // Repetitions; 0 means for ever.
    uint16_t Loops() const { return m_loops; }
    void SetLoops(uint16_t value) { m_loops = value; }
    // 0 when the file names none.
    uint32_t BufferSize() const { return m_bufferSize; }
    void SetBufferSize(uint32_t value) { m_bufferSize = value; }

protected:
    // A loop sub-block (id 1) shorter than 3 bytes or a buffer sub-block
    // (id 2) shorter than 5 raises "Invalid GIF data".
    void LoadData(QIODevice& stream) override;
    // The loop sub-block, the buffer sub-block when BufferSize is not 0, then
    // the terminator.
    void SaveData(QIODevice& stream) const override;

private:
    uint16_t m_loops = 0;
    uint32_t m_bufferSize = 0;
};

} // namespace image
