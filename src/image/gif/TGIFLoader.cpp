#include "image/gif/TGIFLoader.h"

#include "image/EImageError.h"
#include "image/LinearBitmapUtils.h"
#include "image/TDownloadBuffer.h"
#include "image/THostFilterStream.h"
#include "image/TLinearBitmap.h"
#include "image/TSeekableHostStream.h"
#include "image/gif/GIFException.h"
#include "image/gif/TGIFImage.h"
#include "platform/Text.h"

#include <QBuffer>
#include <algorithm>
#include <vector>

namespace image {

bool TGIFLoader::CanLoad(const std::string& ext) const { return text::AsciiUpper(ext) == "GIF"; }

bool TGIFLoader::CanSave(const std::string& ext) const { return text::AsciiUpper(ext) == "GIF"; }

std::string TGIFLoader::GetLoadFilter() const { return "Graphics Interchange Format (*.gif)|*.gif"; }

void TGIFLoader::LoadFromStream(TBaseStream& stream, const std::string&, TLinearBitmap& bitmap) {
    TGIFImage gif;
    // The picture is the first frame: the frames after it are not decoded.
    gif.SetFrameLimit(1);
    // A download that may be used up gives back what the decoder is done
    // with while the picture fills.
    auto* device = dynamic_cast<THostFilterStream*>(&stream);
    if (auto* download = device ? dynamic_cast<TDownloadBuffer*>(&device->Stream()) : nullptr)
        gif.SetOnInputUsed([download](qint64 position) { download->Discard(position); });
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

    TGIFSubImage* first = gif.Empty() ? nullptr : &gif.Images()[0];
    const bool pixels = first && !first->Empty();
    // Unless the image dithers its frames to the web palette, the picture
    // shows the frame's indices over its own colours, padded with black, as
    // a rendering would.
    const bool ownColours = pixels && !gif.DoDither();
    TGIFPalette palette;
    if (ownColours) {
        palette = first->Palette();
        palette.resize(256, qRgb(0, 0, 0));
    }
    int transparentColor = -1;
    if (gif.IsTransparent() && pixels) {
        const int bottom = first->Height() - 1;
        const QRgb c = ownColours ? palette[first->Data()[int64_t(bottom) * first->Width()]]
                                  : first->Bitmap().pixel(0, bottom);
        transparentColor = int(RGBColor(uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c))));
    }
    TLinearBitmap result;
    const QRect picture = gif.PictureRect();
    if (pixels && first->BoundsRect() == picture) {
        if (ownColours) {
            // The frame's indices become the picture where they were
            // decoded: no rendering, no copy.
            first->MoveImageTo(result);
            GetPaletteBGR(palette, 256, result.Palette());
        } else {
            // The rendered bitmap is copied; its indices can go first.
            const QImage picture = first->Bitmap();
            first->FreeImage();
            first->FreeBitmap();
            result.Assign(picture);
        }
    } else if (first && !picture.isEmpty()) {
        // A screen-sized picture: drawn straight into the bitmap rather than
        // into a composite that would then be copied.
        if (!TGIFImage::FitsBitmapLimit(picture.width(), picture.height(), 4)) RaiseGIFError(SFrameTooLarge);
        result.New(picture.width(), picture.height(), TPixelFormat::pf32bit);
        QImage canvas(result.ScanLine(0), result.Width(), result.Height(), result.BytesPerLine(), QImage::Format_RGB32);
        gif.PaintStill(canvas);
        // The bitmap's fourth byte is unused and kept 0.
        for (int y = 0; y < result.Height(); ++y) {
            uint8_t* row = result.ScanLine(y);
            for (int x = 0; x < result.Width(); ++x) row[4 * x + 3] = 0;
        }
    }
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

    const TLinearBitmap* alpha = m_alphaBitmap;
    if (alpha && (alpha->PixelFormat() != TPixelFormat::pf8bit || alpha->Width() != bitmap.Width() ||
                  alpha->Height() != bitmap.Height()))
        alpha = nullptr;
    std::vector<uint8_t> mask;
    if (alpha && !picture.isNull()) {
        mask.resize(size_t(bitmap.Width()) * size_t(bitmap.Height()));
        for (int y = 0; y < bitmap.Height(); ++y) {
            const uint8_t* a = alpha->ScanLine(y);
            for (int x = 0; x < bitmap.Width(); ++x) mask[size_t(y) * size_t(bitmap.Width()) + size_t(x)] = a[x] < 128;
        }
        if (std::find(mask.begin(), mask.end(), 1) == mask.end()) mask.clear();
    }

    if (picture.format() == QImage::Format_Indexed8) {
        // The table ends after the highest index a pixel uses: the entries
        // beyond would only make the file larger.
        uint8_t highest = 1;
        for (int y = 0; y < picture.height() && highest < 255; ++y) {
            const uchar* row = picture.constScanLine(y);
            highest = std::max(highest, *std::max_element(row, row + picture.width()));
        }
        QList<QRgb> table = picture.colorTable();
        table.resize(highest + 1);
        picture.setColorTable(table);
    } else if (!mask.empty()) {
        // A deep picture carries its transparency in its alpha, so that the
        // reduction leaves an entry free for it.
        picture = picture.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < picture.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < picture.width(); ++x)
                if (mask[size_t(y) * size_t(picture.width()) + size_t(x)]) row[x] &= 0x00FFFFFF;
        }
        mask.clear();
    }

    TGIFImage gif;
    if (!picture.isNull()) {
        gif.Add(picture);
        if (!mask.empty()) gif.Images()[0].ImportTransparencyMask(mask);
    }
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
