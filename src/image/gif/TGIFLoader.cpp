#include "image/gif/TGIFLoader.h"

#include "image/EImageError.h"
#include "image/TLinearBitmap.h"
#include "image/TSeekableHostStream.h"
#include "image/gif/TGIFImage.h"
#include "platform/Text.h"

#include <QBuffer>
#include <algorithm>

namespace image {

bool TGIFLoader::CanLoad(const std::string& ext) const { return text::AsciiUpper(ext) == "GIF"; }

bool TGIFLoader::CanSave(const std::string& ext) const { return text::AsciiUpper(ext) == "GIF"; }

std::string TGIFLoader::GetLoadFilter() const { return "Graphics Interchange Format (*.gif)|*.gif"; }

void TGIFLoader::LoadFromStream(TBaseStream& stream, const std::string&, TLinearBitmap& bitmap) {
    TGIFImage gif;
    // The picture is the first frame: the frames after it are not decoded.
    gif.SetFrameLimit(1);
    if (auto* seekable = dynamic_cast<TSeekableStream*>(&stream)) {
        TSeekableHostStream host(*seekable);
        gif.LoadFromStream(host);
    } else {
        // The reader steps back over bytes it peeked at, which a stream
        // without a position cannot do: it reads from a copy in memory.
        QByteArray bytes;
        char piece[65536];
        for (int got; (got = stream.Read(piece, int(sizeof piece))) > 0;) bytes.append(piece, got);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        gif.LoadFromStream(buffer);
    }

    int transparentColor = -1;
    if (gif.IsTransparent() && !gif.Empty() && !gif.Images()[0].Empty()) {
        const QImage& first = gif.Images()[0].Bitmap();
        const QRgb c = first.pixel(0, first.height() - 1);
        transparentColor = int(RGBColor(uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c))));
    }
    TLinearBitmap result;
    result.Assign(static_cast<const platform::TGraphic&>(gif));
    bitmap.TakeOver(result);
    m_transparentColor = transparentColor;
}

void TGIFLoader::SaveToStream(TBaseStream& stream, const std::string&, const TLinearBitmap& bitmap) {
    if (bitmap.PixelFormat() == TPixelFormat::pf24bit) {
        DefaultReductionBits = 8;
        DefaultColorReduction = TColorReduction::ReduceOctree;
        DefaultDitherMode = TDitherMode::DitherFloydSteinberg;
    }
    QImage picture;
    bitmap.AssignTo(picture);

    if (bitmap.PixelFormat() == TPixelFormat::pf8bit && !picture.isNull()) {
        // Colours in use: up to the last entry that is not black, and (so no
        // pixel points past the table) up to the highest index a pixel uses.
        const uint8_t* palette = bitmap.Palette();
        int colors = 2;
        for (int i = 255; i >= 1; --i)
            if (palette[3 * i] || palette[3 * i + 1] || palette[3 * i + 2]) {
                colors = std::max(colors, i + 1);
                break;
            }
        for (int y = 0; y < bitmap.Height() && colors <= 16; ++y) {
            const uint8_t* row = bitmap.ScanLine(y);
            colors = std::max(colors, int(*std::max_element(row, row + bitmap.Width())) + 1);
        }
        if (colors <= 16) {
            QList<QRgb> table = picture.colorTable();
            table.resize(colors <= 2 ? 2 : 16);
            picture.setColorTable(table);
        }
    }

    TGIFImage gif;
    if (!picture.isNull()) gif.Add(picture);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    gif.SaveToStream(buffer);
    for (qsizetype done = 0; done < bytes.size();) {
        const int piece = int(std::min<qsizetype>(bytes.size() - done, qsizetype(1) << 30));
        const int written = stream.Write(bytes.constData() + done, piece);
        if (written <= 0) throw EInOutError("Error writing to stream - no bytes were taken");
        done += written;
    }
}

} // namespace image
