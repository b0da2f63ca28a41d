#include "image/gif/TGIFApplicationExtension.h"

#include "image/gif/GIFException.h"
#include "image/gif/GIFStreamUtils.h"
#include "image/gif/TGIFBlock.h"
#include "image/gif/TGIFUnknownAppExtension.h"

#include <QIODevice>
#include <algorithm>

namespace image {

namespace {

constexpr int IdentSize = 11;
constexpr int ShortIdentSize = 10;  // a known writer's fault, read all the same

// '!', the label, the block size and the identifier.
constexpr int HeadSize = 3 + IdentSize;

const TGIFExtensionClass* FindApplicationSubExtension(const TGIFExtensionClass& self, QIODevice& stream) {
    uint8_t head[HeadSize];
    const int64_t seen = stream.peek(reinterpret_cast<char*>(head), HeadSize);
    if (seen < 3) return nullptr;
    const int size = head[2];
    if (size == ShortIdentSize)
        return seen >= 3 + ShortIdentSize ? &TGIFUnknownAppExtension::Class() : nullptr;
    // A block longer than the identifier is looked up by its first 11 bytes
    // too (the rest is skipped), instead of being left to this class, which
    // cannot read any data.
    if (size >= IdentSize) {
        if (seen < HeadSize) return &self;
        TGIFAppIdent ident;
        std::copy_n(head + 3, IdentSize, ident.begin());
        const TGIFExtensionClass* found = AppExtensionList().Find(ident);
        return found ? found : &TGIFUnknownAppExtension::Class();
    }
    return &self;
}

} // namespace

const TGIFExtensionClass& TGIFApplicationExtension::Class() {
    static const TGIFExtensionClass c{"TGIFApplicationExtension", bsApplicationExtension,
                                      &CreateExtension<TGIFApplicationExtension>, &FindApplicationSubExtension};
    return c;
}

void TGIFApplicationExtension::LoadFromStream(QIODevice& stream) {
    TGIFExtension::LoadFromStream(stream);
    const int size = ReadByte(stream);
    m_shortIdent = size == ShortIdentSize;
    if (m_shortIdent) {
        m_ident = {};
        ReadCheck(stream, m_ident.data(), ShortIdentSize);
        // The 11th byte is the data's first length byte: look, don't take.
        if (!PeekByte(stream, m_ident[ShortIdentSize])) RaiseGIFError(SPrematureEOF);
    } else {
        if (size < IdentSize) RaiseGIFError(SBadAppExtBlockSize);
        ReadCheck(stream, m_ident.data(), IdentSize);
        SkipBytes(stream, size - IdentSize);
    }
    LoadData(stream);
}

void TGIFApplicationExtension::SaveToStream(QIODevice& stream) const {
    if (m_shortIdent) {
        const_cast<TGIFApplicationExtension*>(this)->Warning(TGIFSeverity::Warning, SBadAppExtBlockSize);
        return;
    }
    TGIFExtension::SaveToStream(stream);
    WriteByte(stream, IdentSize);
    WriteCheck(stream, m_ident.data(), IdentSize);
    SaveData(stream);
}

void TGIFApplicationExtension::SaveData(QIODevice& stream) const { WriteByte(stream, 0); }

void TGIFApplicationExtension::LoadData(QIODevice& stream) {
    std::vector<TGIFBlock> dropped;
    TGIFBlock::LoadBlocks(stream, dropped);
}

} // namespace image
