#include "image/gif/TGIFGraphicControlExtension.h"

#include "image/gif/GIFException.h"
#include "image/gif/GIFStreamUtils.h"
#include "image/gif/TGIFSubImage.h"

#include <QIODevice>

namespace image {

namespace {
constexpr uint8_t GCEBlockSize = 4;
}

const TGIFExtensionClass& TGIFGraphicControlExtension::Class() {
    static const TGIFExtensionClass c{"TGIFGraphicControlExtension", bsGraphicControlExtension,
                                      &CreateExtension<TGIFGraphicControlExtension>, &SameExtensionClass};
    return c;
}

TGIFGraphicControlExtension::TGIFGraphicControlExtension(TGIFSubImage* subImage) : TGIFExtension(subImage) {
    if (m_subImage && !m_subImage->m_graphicControlExtension) m_subImage->m_graphicControlExtension = this;
}

TGIFGraphicControlExtension::~TGIFGraphicControlExtension() {
    if (!m_subImage) return;
    if (Transparent()) m_subImage->m_transparent = false;
    if (m_subImage->m_graphicControlExtension == this) m_subImage->m_graphicControlExtension = nullptr;
}

void TGIFGraphicControlExtension::SetTransparent(bool value) {
    m_data.PackedFields = static_cast<uint8_t>(value ? m_data.PackedFields | 0x01 : m_data.PackedFields & ~0x01);
    if (m_subImage) m_subImage->m_transparent = value;
}

void TGIFGraphicControlExtension::SetUserInput(bool value) {
    m_data.PackedFields = static_cast<uint8_t>(value ? m_data.PackedFields | 0x02 : m_data.PackedFields & ~0x02);
}

void TGIFGraphicControlExtension::SetDisposal(uint8_t value) {
    m_data.PackedFields = static_cast<uint8_t>((m_data.PackedFields & ~0x1C) | ((value & 7) << 2));
}

void TGIFGraphicControlExtension::SetTransparentColorIndex(uint8_t value) {
    if (m_subImage) {
        const TGIFColorMap& map = m_subImage->ActiveColorMap();
        if (map.Count() > 0 && value >= map.Count()) Warning(TGIFSeverity::Warning, SBadColorIndex);
    }
    m_data.TransparentColorIndex = value;
}

void TGIFGraphicControlExtension::SaveToStream(QIODevice& stream) const {
    TGIFExtension::SaveToStream(stream);
    // The block size and terminator are the format's, whatever a damaged
    // file held: copied, they would make the file unreadable.
    uint8_t body[6] = {GCEBlockSize, m_data.PackedFields, 0, 0, m_data.TransparentColorIndex, 0};
    PutWord(body + 2, m_data.Delay);
    WriteCheck(stream, body, sizeof body);
}

void TGIFGraphicControlExtension::LoadFromStream(QIODevice& stream) {
    TGIFExtension::LoadFromStream(stream);
    // The stored block size is not trusted to size the read: the body is
    // always these 6 bytes. Bytes that do not arrive keep their values.
    uint8_t body[6] = {m_data.BlockSize,
                       m_data.PackedFields,
                       static_cast<uint8_t>(m_data.Delay),
                       static_cast<uint8_t>(m_data.Delay >> 8),
                       m_data.TransparentColorIndex,
                       m_data.Terminator};
    const int64_t got = stream.read(reinterpret_cast<char*>(body), sizeof body);
    m_data.BlockSize = body[0];
    m_data.PackedFields = body[1];
    m_data.Delay = GetWord(body + 2);
    m_data.TransparentColorIndex = body[4];
    m_data.Terminator = body[5];
    if (got < static_cast<int64_t>(sizeof body)) {
        // A cut-off block makes no frame transparent.
        Warning(TGIFSeverity::Warning, SPrematureEOF);
        return;
    }
    if (Transparent() && m_subImage) m_subImage->m_transparent = true;
}

} // namespace image
