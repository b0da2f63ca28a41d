#include "image/gif/TGIFAppExtNSLoop.h"

#include "image/gif/GIFException.h"
#include "image/gif/GIFStreamUtils.h"

namespace image {

namespace {
constexpr uint8_t LoopBlockId = 1;
constexpr uint8_t BufferBlockId = 2;
} // namespace

const TGIFExtensionClass& TGIFAppExtNSLoop::Class() {
    static const TGIFExtensionClass c{"TGIFAppExtNSLoop", bsApplicationExtension, &CreateExtension<TGIFAppExtNSLoop>,
                                      &SameExtensionClass};
    return c;
}

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage* subImage) : TGIFApplicationExtension(subImage) {
    m_ident = MakeAppIdent("NETSCAPE2.0");
}

void TGIFAppExtNSLoop::SaveData(QIODevice& stream) const {
    uint8_t loop[4] = {3, LoopBlockId, 0, 0};
    PutWord(loop + 2, m_loops);
    WriteCheck(stream, loop, sizeof loop);
    if (m_bufferSize != 0) {
        uint8_t buffer[6] = {5, BufferBlockId, 0, 0, 0, 0};
        PutDWord(buffer + 2, m_bufferSize);
        WriteCheck(stream, buffer, sizeof buffer);
    }
    WriteByte(stream, 0);
}

void TGIFAppExtNSLoop::LoadData(QIODevice& stream) {
    int size = ReadByte(stream);
    while (size != 0) {
        uint8_t id;
        ReadCheck(stream, &id, 1);
        int rest = size - 1;
        if ((id & 7) == LoopBlockId) {
            if (rest < 2) RaiseGIFError(SBadGIFData);
            uint8_t b[2];
            ReadCheck(stream, b, 2);
            m_loops = GetWord(b);
            rest = size - 3;
        } else if ((id & 7) == BufferBlockId) {
            if (rest < 4) RaiseGIFError(SBadGIFData);
            uint8_t b[4];
            ReadCheck(stream, b, 4);
            m_bufferSize = GetDWord(b);
            rest = size - 5;
        }
        SkipBytes(stream, rest);
        size = ReadByte(stream);
    }
}

} // namespace image
