#include "image/gif/TGIFTextExtension.h"

#include "image/gif/GIFStreamUtils.h"

namespace image {

namespace {
constexpr uint8_t TextBlockSize = 12;
}

const TGIFExtensionClass& TGIFTextExtension::Class() {
    static const TGIFExtensionClass c{"TGIFTextExtension", bsPlainTextExtension, &CreateExtension<TGIFTextExtension>,
                                      &SameExtensionClass};
    return c;
}

void TGIFTextExtension::SaveToStream(QIODevice& stream) const {
    TGIFExtension::SaveToStream(stream);
    uint8_t b[13];
    b[0] = TextBlockSize; // the format's, whatever a damaged file held
    PutWord(b + 1, m_data.Left);
    PutWord(b + 3, m_data.Top);
    PutWord(b + 5, m_data.Width);
    PutWord(b + 7, m_data.Height);
    b[9] = m_data.CharWidth;
    b[10] = m_data.CharHeight;
    b[11] = m_data.ForegroundColorIndex;
    b[12] = m_data.BackgroundColorIndex;
    WriteCheck(stream, b, sizeof b);
    WriteSubBlockStrings(stream, m_text);
}

void TGIFTextExtension::LoadFromStream(QIODevice& stream) {
    TGIFExtension::LoadFromStream(stream);
    uint8_t b[13];
    ReadCheck(stream, b, sizeof b);
    m_data.BlockSize = b[0];
    m_data.Left = GetWord(b + 1);
    m_data.Top = GetWord(b + 3);
    m_data.Width = GetWord(b + 5);
    m_data.Height = GetWord(b + 7);
    m_data.CharWidth = b[9];
    m_data.CharHeight = b[10];
    m_data.ForegroundColorIndex = b[11];
    m_data.BackgroundColorIndex = b[12];
    ReadSubBlockStrings(stream, m_text);
}

} // namespace image
