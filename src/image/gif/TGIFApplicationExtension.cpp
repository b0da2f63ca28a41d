#include "image/gif/TGIFApplicationExtension.h"

#include "image/gif/GIFException.h"
#include "image/gif/GIFStreamUtils.h"
#include "image/gif/TGIFBlock.h"
#include "image/gif/TGIFUnknownAppExtension.h"

#include <QBuffer>
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

TGIFAppIdent TGIFApplicationExtension::WrittenIdent(const QByteArray& data) const {
    if (!m_shortIdent) return m_ident;
    // The known writer's fault drops the last character of a registered
    // identifier ("NETSCAPE2." for "NETSCAPE2.0"): that one is put back when
    // the data reads as what it names, so the loop goes on looping.
    if (const TGIFAppIdent* full = AppExtensionList().Completing(m_ident.data(), ShortIdentSize)) {
        QByteArray block;
        block.append(char(bsExtensionIntroducer)).append(char(bsApplicationExtension)).append(char(IdentSize));
        block.append(reinterpret_cast<const char*>(full->data()), IdentSize).append(data);
        QBuffer in(&block);
        in.open(QIODevice::ReadOnly);
        try {
            if (const TGIFExtensionClass* cls = TGIFExtension::FindExtension(in)) {
                cls->Create(nullptr)->LoadFromStream(in);
                if (in.pos() == block.size()) return *full;
            }
        } catch (const GIFException&) {
        }
    }
    // Any other is completed with a byte that names nothing registered.
    TGIFAppIdent ident = m_ident;
    ident[ShortIdentSize] = ' ';
    return ident;
}

QByteArray TGIFApplicationExtension::SavedData() const {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    SaveData(buffer);
    return data;
}

const TGIFExtensionClass* TGIFApplicationExtension::WrittenClass() const {
    const TGIFExtensionClass* found = AppExtensionList().Find(m_shortIdent ? WrittenIdent(SavedData()) : m_ident);
    return found ? found : &TGIFUnknownAppExtension::Class();
}

void TGIFApplicationExtension::SaveToStream(QIODevice& stream) const {
    const QByteArray data = SavedData();
    const TGIFAppIdent ident = WrittenIdent(data);
    TGIFExtension::SaveToStream(stream);
    WriteByte(stream, IdentSize);
    WriteCheck(stream, ident.data(), IdentSize);
    WriteCheck(stream, data.constData(), int(data.size()));
}

void TGIFApplicationExtension::SaveData(QIODevice& stream) const { WriteByte(stream, 0); }

void TGIFApplicationExtension::LoadData(QIODevice& stream) {
    std::vector<TGIFBlock> dropped;
    TGIFBlock::LoadBlocks(stream, dropped);
}

} // namespace image
