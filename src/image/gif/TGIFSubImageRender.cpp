// Rendering, drawing and conversion of one frame: indices to an Indexed8
// image with a 1-bit mask of the transparent pixels, drawing on a QPainter,
// the geometry operations of the optimiser, and frames made from bitmaps,
// icons, graphics and other frames.

#include "image/gif/TGIFSubImage.h"

#include "image/gif/ColorReduction.h"
#include "image/gif/GIFException.h"
#include "image/gif/TDitherEngine.h"
#include "image/gif/TGIFGraphicControlExtension.h"
#include "image/gif/TGIFImage.h"
#include "image/gif/TNetscapeColorLookup.h"
#include "platform/TGraphic.h"

#include <QBuffer>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <tuple>

namespace image {

namespace {

constexpr const char* SRendering = "Rendering...";
constexpr const char* SConverting = "Converting...";
constexpr const char* SInvalidReduction = "Invalid reduction method";

// The platform's multiply-divide: a * b / c rounded half away from zero; 0
// for c = 0.
int MulDiv(int a, int b, int c) {
    if (c == 0) return 0;
    const int64_t p = int64_t(a) * b;
    const int64_t q = (std::abs(p) + std::abs(int64_t(c)) / 2) / std::abs(int64_t(c));
    return static_cast<int>((p < 0) != (c < 0) ? -q : q);
}

// A palette as a colour table that every index can look up in.
TGIFPalette Padded(TGIFPalette palette) {
    palette.resize(256, qRgb(0, 0, 0));
    return palette;
}

QImage NewMask(int width, int height) {
    QImage mask(width, height, QImage::Format_Mono);
    if (mask.isNull()) throw std::bad_alloc();
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mask.fill(0);
    return mask;
}

void SetMaskBit(QImage& mask, int x, int y) { mask.scanLine(y)[x >> 3] |= uchar(0x80 >> (x & 7)); }

bool MaskBit(const QImage& mask, int x, int y) { return mask.constScanLine(y)[x >> 3] & (0x80 >> (x & 7)); }

// The transparency mask a rendering builds on the way, when one is due.
struct TMaskRows {
    TMaskRows(bool build, int width, int height, uint8_t transparent)
        : Build(build), Transparent(transparent), Mask(build ? NewMask(width, height) : QImage()) {}
    // Hides pixel (x, y) when the mask is built and `index` is the
    // transparent one; says whether it did.
    bool Hide(uint8_t index, int x, int y) {
        if (!Build || index != Transparent) return false;
        SetMaskBit(Mask, x, y);
        Any = true;
        return true;
    }
    const bool Build;
    const uint8_t Transparent;
    QImage Mask;
    bool Any = false;
};

// The web palette index one above the 6x6x6 cube entry of `c`.
uint8_t WebIndexAbove(const TGIFColor& c) {
    return uint8_t(MulDiv(36, c.Red, 51) + MulDiv(6, c.Green, 51) + c.Blue / 51 + 1);
}

QImage NewIndexed(int width, int height, const TGIFPalette& palette) {
    QImage bitmap(width, height, QImage::Format_Indexed8);
    if (bitmap.isNull()) throw std::bad_alloc();
    bitmap.setColorTable(Padded(palette));
    return bitmap;
}

// A source with alpha composed over black, as drawing it onto a new bitmap
// does.
QImage OverBlack(const QImage& source) {
    QImage opaque(source.size(), QImage::Format_RGB888);
    if (opaque.isNull()) throw std::bad_alloc();
    opaque.fill(Qt::black);
    QPainter p(&opaque);
    p.drawImage(0, 0, source);
    return opaque;
}

// Pixels are repeated or dropped when scaling, never blended, while one of
// these lives.
class TUnsmoothed {
public:
    explicit TUnsmoothed(QPainter& canvas)
        : m_canvas(canvas), m_smooth(canvas.testRenderHint(QPainter::SmoothPixmapTransform)) {
        canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
    }
    ~TUnsmoothed() { m_canvas.setRenderHint(QPainter::SmoothPixmapTransform, m_smooth); }
    TUnsmoothed(const TUnsmoothed&) = delete;
    TUnsmoothed& operator=(const TUnsmoothed&) = delete;

private:
    QPainter& m_canvas;
    const bool m_smooth;
};

// The screen extent frames are placed on; a screen of 0 counts as the
// frame's own extent, so scaling and tiling never divide by or step by 0.
int ScreenExtent(int screen, int frameEnd) { return screen > 0 ? screen : std::max(frameEnd, 1); }

} // namespace

void TGIFSubImage::ReportProgress(TProgressStage stage, int percent, const char* message) {
    if (!m_gifImage) return;
    const bool redraw = stage == TProgressStage::psEnding && m_gifImage->PaletteModified();
    m_gifImage->Progress(this, stage, percent, redraw, message);
}

const QImage& TGIFSubImage::Bitmap() {
    if (m_bitmap.isNull() && !Empty()) {
        ReportProgress(TProgressStage::psStarting, 0, SRendering);
        try {
            if (m_gifImage && m_gifImage->DoDither())
                CreateDitheredBitmap();
            else
                CreateBitmap();
        } catch (...) {
            ReportProgress(TProgressStage::psEnding, 0, SRendering);
            throw;
        }
        ReportProgress(TProgressStage::psEnding, 100, SRendering);
        if (m_gifImage && m_gifImage->PaletteModified()) m_gifImage->Changed();
    }
    return m_bitmap;
}

template <class RenderRow>
void TGIFSubImage::Render(const TGIFPalette& palette, RenderRow&& renderRow) {
    const int width = Width(), height = Height();
    QImage bitmap = NewIndexed(width, height, palette);

    const bool buildMask = m_needMask && m_transparent && m_mask.isNull() && m_graphicControlExtension;
    m_needMask = false;
    TMaskRows mask(buildMask, width, height,
                   m_graphicControlExtension ? m_graphicControlExtension->TransparentColorIndex() : 0);

    for (int y = 0; y < height; ++y) {
        if (y % 32 == 0) ReportProgress(TProgressStage::psRunning, y * 100 / height, SRendering);
        renderRow(y, Data() + int64_t(y) * width, bitmap.scanLine(y), mask);
    }
    if (mask.Any) m_mask = mask.Mask;
    m_bitmap = bitmap;
    m_palette = palette;
}

void TGIFSubImage::CreateBitmap() {
    const int width = Width();
    Render(Palette(), [width](int y, const uint8_t* row, uint8_t* out, TMaskRows& mask) {
        std::memcpy(out, row, size_t(width));
        if (mask.Build)
            for (int x = 0; x < width; ++x) mask.Hide(row[x], x, y);
    });
}

void TGIFSubImage::CreateDitheredBitmap() {
    const int width = Width();
    const TGIFColorMap& map = ActiveColorMap();
    TNetscapeColorLookup lookup;
    TDitherEngine ditherer(width, lookup, TDitherMode::DitherFloydSteinberg);
    TRGBTriple color;
    Render(WebPalette(), [&](int y, const uint8_t* row, uint8_t* out, TMaskRows& mask) {
        // Transparent pixels keep the web index next to that of their
        // colour; the mask hides them anyway.
        if (mask.Build) std::memset(out, WebIndexAbove(map.Entry(mask.Transparent)), size_t(width));
        for (int x = ditherer.Column(); x >= 0 && x < width; x = ditherer.Column()) {
            if (mask.Hide(row[x], x, y)) {
                ditherer.NextColumn();
            } else {
                const TGIFColor& c = map.Entry(row[x]);
                out[x] = ditherer.Dither(c.Red, c.Green, c.Blue, color);
            }
        }
        ditherer.NextLine();
    });
}

bool TGIFSubImage::HasMask() {
    if (m_needMask && m_transparent) {
        FreeBitmap();
        Bitmap();
    }
    return !m_mask.isNull();
}

void TGIFSubImage::FreeBitmap() {
    m_bitmap = QImage();
    m_maskedBitmap = QImage();
}

void TGIFSubImage::FreeMask() {
    m_mask = QImage();
    m_maskedBitmap = QImage();
    m_needMask = true;
}

TGIFPalette TGIFSubImage::Palette() {
    // The cache also holds the palette the bitmap was rendered with.
    if (!m_palette.isEmpty()) return m_palette;
    if (m_gifImage && m_gifImage->DoDither()) return m_palette = WebPalette();
    if (m_colorMap.Count() == 0) return m_gifImage ? m_gifImage->Palette() : TGIFPalette{};
    return m_palette = m_colorMap.ExportPalette();
}

void TGIFSubImage::SetPalette(const TGIFPalette& value) {
    if (value == m_palette) return;
    m_palette = value;
    if (m_bitmap.isNull()) return;
    FreeBitmap();
    if (m_gifImage) {
        m_gifImage->SetPaletteModified(true);
        m_gifImage->Changed();
    }
}

const QImage& TGIFSubImage::MaskedBitmap() {
    if (m_maskedBitmap.isNull()) {
        QImage masked = Bitmap().convertToFormat(QImage::Format_ARGB32);
        if (masked.isNull()) return m_maskedBitmap;
        for (int y = 0; y < masked.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(masked.scanLine(y));
            for (int x = 0; x < masked.width(); ++x)
                if (MaskBit(m_mask, x, y)) row[x] = 0;
        }
        m_maskedBitmap = masked;
    }
    return m_maskedBitmap;
}

QRect TGIFSubImage::Picture() const {
    if (const QRect picture = m_gifImage ? m_gifImage->PictureRect() : QRect(); !picture.isEmpty()) return picture;
    return QRect(0, 0, ScreenExtent(m_gifImage ? m_gifImage->Width() : 0, Left() + Width()),
                 ScreenExtent(m_gifImage ? m_gifImage->Height() : 0, Top() + Height()));
}

QRect TGIFSubImage::ScaleRect(const QRect& dest) const { return ScaleRect(dest, Picture()); }

QRect TGIFSubImage::ScaleRect(const QRect& dest, const QRect& picture) const {
    if (picture.isEmpty()) return ScaleRect(dest);
    return ScaleArea(BoundsRect(), dest, picture);
}

QRect TGIFSubImage::ScaleArea(const QRect& area, const QRect& dest, const QRect& picture) {
    const int x = area.x() - picture.x(), y = area.y() - picture.y();
    const int left = MulDiv(x, dest.width(), picture.width()) + dest.left();
    const int top = MulDiv(y, dest.height(), picture.height()) + dest.top();
    const int right = MulDiv(x + area.width(), dest.width(), picture.width()) + dest.left();
    const int bottom = MulDiv(y + area.height(), dest.height(), picture.height()) + dest.top();
    return QRect(left, top, right - left, bottom - top);
}

QRect TGIFSubImage::ShownArea(const QRect& picture) const {
    return picture.isEmpty() ? BoundsRect() : BoundsRect() & picture;
}

void TGIFSubImage::Draw(QPainter& canvas, const QRect& rect, bool doTransparent, bool doTile) {
    Draw(canvas, rect, doTransparent, doTile, Picture());
}

void TGIFSubImage::Draw(QPainter& canvas, const QRect& rect, bool doTransparent, bool doTile, const QRect& picture) {
    if (doTile || ShownArea(picture) == BoundsRect()) {
        StretchDraw(canvas, doTile ? rect : ScaleRect(rect, picture), doTransparent, doTile, picture);
        return;
    }
    // A frame reaching past a screen smaller than itself shows only its part
    // on the screen, as other readers show it.
    const QRect shown = ShownArea(picture);
    if (!shown.isEmpty())
        DrawPart(canvas, ScaleArea(shown, rect, picture), shown.translated(-Left(), -Top()), doTransparent);
}

void TGIFSubImage::StretchDraw(QPainter& canvas, const QRect& rect, bool doTransparent, bool doTile) {
    StretchDraw(canvas, rect, doTransparent, doTile, doTile ? Picture() : QRect());
}

void TGIFSubImage::StretchDraw(QPainter& canvas, const QRect& rect, bool doTransparent, bool doTile,
                               const QRect& picture) {
    if (!doTile) {
        DrawPart(canvas, rect, QRect(0, 0, Width(), Height()), doTransparent);
        return;
    }
    // Tiles every picture width and height from the frame's place, each the
    // part of the frame on the picture; only those the canvas can show.
    const QRect tile = picture.isEmpty() ? Picture() : picture;
    const QRect shown = ShownArea(tile);
    if (shown.isEmpty()) return;
    const QImage& bitmap = ShownBitmap(doTransparent);
    if (bitmap.isNull()) return;
    const QPoint origin = rect.topLeft() + shown.topLeft() - tile.topLeft();
    const TUnsmoothed unsmoothed(canvas);
    DrawTiles(canvas, bitmap, shown.translated(-Left(), -Top()),
              TilesMeeting(origin, tile.size(), shown.size(), rect.topLeft() + QPoint(rect.width(), rect.height()),
                           PaintableArea(canvas)));
}

const QImage& TGIFSubImage::ShownBitmap(bool doTransparent) {
    return doTransparent && m_transparent && HasMask() ? MaskedBitmap() : Bitmap();
}

void TGIFSubImage::DrawPart(QPainter& canvas, const QRect& dest, const QRect& source, bool doTransparent) {
    const QImage& bitmap = ShownBitmap(doTransparent);
    if (bitmap.isNull()) return;
    const TUnsmoothed unsmoothed(canvas);
    canvas.drawImage(dest, bitmap, source);
}

QRect TTileGrid::Extent() const {
    if (Count() <= 0) return {};
    return Tile(FirstColumn, FirstRow).united(Tile(EndColumn - 1, EndRow - 1));
}

TTileGrid TilesMeeting(QPoint origin, QSize step, QSize size, QPoint end, const QRect& clip) {
    TTileGrid tiles{origin, step, size};
    if (step.isEmpty() || size.isEmpty() || clip.isEmpty()) return tiles;
    // The indices k >= 0 of the tiles origin + k * step that start before
    // `end` and meet [lo, hi).
    const auto range = [](int64_t origin, int64_t step, int64_t size, int64_t end, int64_t lo, int64_t hi) {
        const int64_t first = origin + size <= lo ? (lo - size - origin) / step + 1 : 0;
        const int64_t limit = std::min(end, hi);
        const int64_t past = origin < limit ? (limit - origin - 1) / step + 1 : 0;
        return std::pair(first, std::max(first, past));
    };
    std::tie(tiles.FirstColumn, tiles.EndColumn) =
        range(origin.x(), step.width(), size.width(), end.x(), clip.left(), clip.left() + int64_t(clip.width()));
    std::tie(tiles.FirstRow, tiles.EndRow) =
        range(origin.y(), step.height(), size.height(), end.y(), clip.top(), clip.top() + int64_t(clip.height()));
    return tiles;
}

void DrawTiles(QPainter& canvas, const QImage& image, const QRect& source, const TTileGrid& tiles) {
    // A fill draws every pixel of its pattern, the gaps between tiles too:
    // as nothing, transparent, only when the canvas lays source over
    // destination. A pattern narrower than this many pixels is repeated, so
    // that the fill moves whole runs of pixels.
    constexpr int FewTiles = 16, PatternSide = 64;
    constexpr int64_t MaxPatternPixels = int64_t(1) << 22;
    const QTransform& transform = canvas.combinedTransform();
    // (A fill blends a painter's opacity in, and antialiases its edges, with
    // other rounding.)
    const bool unscaled = transform.type() <= QTransform::TxTranslate && transform.dx() == std::round(transform.dx()) &&
                          transform.dy() == std::round(transform.dy()) && canvas.opacity() == 1.0 &&
                          !canvas.testRenderHint(QPainter::Antialiasing);
    const bool gaps = tiles.Size != tiles.Step;
    const bool apart = tiles.Size.width() <= tiles.Step.width() && tiles.Size.height() <= tiles.Step.height();
    const int64_t columns = tiles.EndColumn - tiles.FirstColumn, rows = tiles.EndRow - tiles.FirstRow;
    // Whole steps, as many as make a side at least PatternSide long; a single
    // column or row needs no step past its tile.
    const auto span = [](int64_t count, int step, int size) {
        return count > 1 ? std::min<int64_t>(count, (PatternSide + step - 1) / step) * step : int64_t(size);
    };
    const int64_t width = span(columns, tiles.Step.width(), tiles.Size.width());
    const int64_t height = span(rows, tiles.Step.height(), tiles.Size.height());
    if (tiles.Count() > FewTiles && unscaled && apart && width * height <= MaxPatternPixels &&
        (!gaps || canvas.compositionMode() == QPainter::CompositionMode_SourceOver)) {
        QImage pattern(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
        if (!pattern.isNull()) {
            pattern.fill(Qt::transparent);
            {
                QPainter p(&pattern);
                p.setCompositionMode(QPainter::CompositionMode_Source);
                p.drawImage(QPoint(0, 0), image, source);
            }
            // The first tile's step repeated along its rows, then those rows
            // down the pattern.
            const int stepWidth = tiles.Step.width(), stepHeight = tiles.Step.height();
            for (int y = 0; y < std::min<int>(int(height), stepHeight); ++y) {
                auto* row = reinterpret_cast<QRgb*>(pattern.scanLine(y));
                for (int x = stepWidth; x < width; ++x) row[x] = row[x - stepWidth];
            }
            for (int y = stepHeight; y < height; ++y)
                std::memcpy(pattern.scanLine(y), pattern.constScanLine(y - stepHeight), size_t(width) * 4);
            const QRect extent = tiles.Extent();
            const QPointF origin = canvas.brushOrigin();
            canvas.setBrushOrigin(extent.topLeft());
            canvas.fillRect(extent, QBrush(pattern));
            canvas.setBrushOrigin(origin);
            return;
        }
    }
    for (int64_t column = tiles.FirstColumn; column < tiles.EndColumn; ++column)
        for (int64_t row = tiles.FirstRow; row < tiles.EndRow; ++row)
            canvas.drawImage(tiles.Tile(column, row), image, source);
}

QRect PaintableArea(const QPainter& canvas) {
    QRect area(QPoint(INT_MIN / 4, INT_MIN / 4), QPoint(INT_MAX / 4, INT_MAX / 4));
    if (const QPaintDevice* device = canvas.device()) {
        bool invertible = false;
        const QTransform toLogical = canvas.combinedTransform().inverted(&invertible);
        if (invertible) area = toLogical.mapRect(QRect(0, 0, device->width(), device->height()));
    }
    if (canvas.hasClipping()) area &= canvas.clipBoundingRect().toAlignedRect();
    return area;
}

void TGIFSubImage::Crop() {
    if (Empty() || !m_transparent || !m_graphicControlExtension) return;
    const uint8_t t = m_graphicControlExtension->TransparentColorIndex();
    const int width = Width(), height = Height();
    const uint8_t* data = Data();
    const auto opaque = [&](int x, int y) { return data[int64_t(y) * width + x] != t; };

    int x0 = width, x1 = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (opaque(x, y)) {
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
            }
    if (x1 < 0) {
        Clear();
        return;
    }
    int y0 = height, y1 = -1;
    for (int y = 0; y < height; ++y)
        for (int x = x0; x <= x1; ++x)
            if (opaque(x, y)) {
                y0 = std::min(y0, y);
                y1 = std::max(y1, y);
            }

    const int newWidth = x1 - x0 + 1, newHeight = y1 - y0 + 1;
    TLinearBitmap cropped;
    cropped.New(newWidth, newHeight, TPixelFormat::pf8bit);
    for (int y = 0; y < newHeight; ++y)
        std::memcpy(cropped.ScanLine(y), data + int64_t(y0 + y) * width + x0, size_t(newWidth));
    m_pixels.TakeOver(cropped);
    m_descriptor.Left = uint16_t(Left() + x0);
    m_descriptor.Top = uint16_t(Top() + y0);
    m_descriptor.Width = uint16_t(newWidth);
    m_descriptor.Height = uint16_t(newHeight);
    FreeBitmap();
    FreeMask();
}

TGIFGraphicControlExtension& TGIFSubImage::EnsureGraphicControlExtension() {
    if (!m_graphicControlExtension) m_extensions.Add(std::make_unique<TGIFGraphicControlExtension>(this));
    return *m_graphicControlExtension;
}

void TGIFSubImage::MergeTransparentWith(const TGIFSubImage* previous) {
    if (!previous || previous == this || Empty() || previous->Empty()) return;
    if (const TGIFGraphicControlExtension* gce = previous->GraphicControlExtension();
        gce && (gce->Disposal() == 2 || gce->Disposal() == 3))
        return;
    const QRect overlap = BoundsRect() & previous->BoundsRect();
    if (overlap.isEmpty()) return;

    const bool wasTransparent = m_transparent && m_graphicControlExtension;
    const bool local = m_colorMap.Count() > 0;
    // The transparent index takes the merged pixels, also one past the table
    // (gifsicle spares an entry of a full table so): the table keeps its size.
    if (!wasTransparent) {
        const TGIFColorMap* global = m_gifImage ? &m_gifImage->GlobalColorMap() : nullptr;
        if (local ? m_colorMap.Count() >= TGIFColorMap::MaxColors
                  : !global || global->Count() == 0 || global->Count() >= TGIFColorMap::MaxColors)
            return;
    }
    int index = wasTransparent ? m_graphicControlExtension->TransparentColorIndex() : -1;

    // An index no pixel of this frame shows: another frame's transparent
    // index of the global table when that is free here, else a new black
    // entry; -1 when the frame's own pixels reach past the table to the
    // entry's index (they show black there, and would turn transparent).
    const auto findIndex = [&]() -> int {
        std::array<bool, 256> used{};
        for (const uint8_t p : Indices()) used[p] = true;
        TGIFColorMap& table = local ? static_cast<TGIFColorMap&>(m_colorMap) : m_gifImage->GlobalColorMap();
        if (!local) {
            for (const auto& frame : m_gifImage->Images()) {
                if (frame.get() == this || !frame->Transparent() || frame->ColorMap().Count() > 0 ||
                    !frame->GraphicControlExtension())
                    continue;
                const uint8_t other = frame->GraphicControlExtension()->TransparentColorIndex();
                if (!used[other] && other < table.Count()) return other;
                break;
            }
        }
        const int next = table.Count();
        return next < TGIFColorMap::MaxColors && !used[size_t(next)] ? table.Add(RGBColor(0, 0, 0)) : -1;
    };

    const TGIFColorMap& ourMap = ActiveColorMap();
    const TGIFColorMap& theirMap = previous->ActiveColorMap();
    const bool sameTable = &ourMap == &theirMap;
    const bool previousTransparent = previous->Transparent() && previous->GraphicControlExtension();
    const int previousIndex = previousTransparent ? previous->GraphicControlExtension()->TransparentColorIndex() : -1;
    const uint8_t* theirs = previous->Data();
    for (int y = overlap.top(); y <= overlap.bottom(); ++y) {
        uint8_t* row = Data() + int64_t(y - Top()) * Width() - Left();
        const uint8_t* prow = theirs + int64_t(y - previous->Top()) * previous->Width() - previous->Left();
        for (int x = overlap.left(); x <= overlap.right(); ++x) {
            const uint8_t ours = row[x], below = prow[x];
            if (ours == index || below == previousIndex) continue;
            const TGIFColor& a = ourMap.Entry(ours);
            const TGIFColor& b = theirMap.Entry(below);
            const bool same = sameTable ? ours == below : a.Red == b.Red && a.Green == b.Green && a.Blue == b.Blue;
            if (!same) continue;
            // (Nothing is changed before the first index is found.)
            if (index < 0 && (index = findIndex()) < 0) return;
            row[x] = uint8_t(index);
        }
    }
    if (!wasTransparent && index >= 0) {
        TGIFGraphicControlExtension& gce = EnsureGraphicControlExtension();
        gce.SetTransparentColorIndex(uint8_t(index));
        gce.SetTransparent(true);
    }
    FreeBitmap();
    FreeMask();
}

void TGIFSubImage::Assign(const TGIFSubImage& source) {
    if (&source == this) return;
    Clear();
    if (source.Empty()) return;
    m_descriptor = source.m_descriptor;
    AllocateData();
    std::memcpy(Data(), source.Data(), size_t(DataSize()));
    m_dataPixels = source.m_dataPixels;
    m_colorMap.Assign(source.m_colorMap);
    // Extensions are copied by writing them out and reading them back.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadWrite);
    source.m_extensions.SaveToStream(buffer);
    buffer.seek(0);
    m_extensions.LoadFromStream(buffer, this);
    if (!source.m_bitmap.isNull()) {
        m_bitmap = source.m_bitmap;
        m_palette = source.m_palette;
    }
}

void TGIFSubImage::ImportPixels(const QImage& bitmap) {
    const int width = Width(), height = Height();
    const auto progress = [&](int y) {
        if (y % 32 == 0) ReportProgress(TProgressStage::psRunning, y * 100 / height, SConverting);
    };
    switch (bitmap.format()) {
    case QImage::Format_Indexed8:
        m_colorMap.ImportDIBColors(bitmap);
        for (int y = 0; y < height; ++y) {
            progress(y);
            std::memcpy(Scanline(y), bitmap.constScanLine(y), size_t(width));
        }
        break;
    case QImage::Format_Mono: {
        TGIFPalette table = bitmap.colorTable();
        // A 1-bit image without a table shows its bits as a bitmap does:
        // 0 white, 1 black.
        if (table.isEmpty()) table = {qRgb(255, 255, 255), qRgb(0, 0, 0)};
        m_colorMap.ImportPalette(table);
        for (int y = 0; y < height; ++y) {
            progress(y);
            uint8_t* out = Scanline(y);
            for (int x = 0; x < width; ++x) out[x] = MaskBit(bitmap, x, y) ? 1 : 0;
        }
        break;
    }
    default: {
        // 24 bits: the table is built in first-seen order; the 8 most recent
        // colours are tried first, since photos and drawings repeat colours
        // in runs.
        const QImage rgb = bitmap.convertToFormat(QImage::Format_RGB888);
        std::array<std::pair<TColor, int>, 8> recent{};
        int used = 0, last = 0;
        for (int y = 0; y < height; ++y) {
            progress(y);
            const uchar* in = rgb.constScanLine(y);
            uint8_t* out = Scanline(y);
            for (int x = 0; x < width; ++x, in += 3) {
                const TColor c = RGBColor(in[0], in[1], in[2]);
                int index = -1;
                for (int k = 0, slot = last; k < used; ++k, slot = (slot + 7) % 8)
                    if (recent[size_t(slot)].first == c) {
                        index = recent[size_t(slot)].second;
                        break;
                    }
                if (index < 0) {
                    index = m_colorMap.AddUnique(c);
                    last = (last + 1) % 8;
                    recent[size_t(last)] = {c, index};
                    used = std::min(used + 1, 8);
                }
                out[x] = uint8_t(index);
            }
        }
        break;
    }
    }
}

void TGIFSubImage::Assign(const QImage& source) {
    Clear();
    if (source.isNull()) return;
    if (source.width() > 0xFFFF || source.height() > 0xFFFF) RaiseGIFError(SInvalidImageDimensions);

    // Transparency: pixels (or colour table entries) with alpha below half.
    std::vector<uint8_t> mask;
    if (source.hasAlphaChannel()) {
        mask.resize(size_t(source.width()) * size_t(source.height()));
        const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < argb.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
            for (int x = 0; x < argb.width(); ++x)
                mask[size_t(y) * size_t(argb.width()) + size_t(x)] = qAlpha(row[x]) < 128;
        }
    }

    QImage bitmap;
    bool reduced = false;
    switch (source.format()) {
    case QImage::Format_Mono:
    case QImage::Format_Indexed8:
        bitmap = source;
        break;
    case QImage::Format_MonoLSB:
        bitmap = source.convertToFormat(QImage::Format_Mono);
        break;
    case QImage::Format_Grayscale8:
        bitmap = source.convertToFormat(QImage::Format_Indexed8);
        break;
    default: {
        const QImage opaque = source.hasAlphaChannel() ? OverBlack(source) : source;
        const TColorReduction reduction = m_gifImage ? m_gifImage->ColorReduction() : DefaultColorReduction;
        const TDitherMode dither = m_gifImage ? m_gifImage->DitherMode() : DefaultDitherMode;
        const int bits = m_gifImage ? m_gifImage->ReductionBits() : DefaultReductionBits;
        // Transparent pixels will need an entry of their own.
        const bool transparent = std::find(mask.begin(), mask.end(), 1) != mask.end();
        bitmap = ReduceBitmapColors(opaque, reduction, dither, bits, {}, transparent ? 1 : 0);
        if (bitmap.isNull()) RaiseGIFError(SInvalidReduction);
        reduced = true;
        break;
    }
    }

    m_descriptor.Width = uint16_t(bitmap.width());
    m_descriptor.Height = uint16_t(bitmap.height());
    NewImage();
    ReportProgress(TProgressStage::psStarting, 0, SConverting);
    try {
        ImportPixels(bitmap);
        if (reduced) DropUnusedColors();
        if (!mask.empty()) ImportTransparencyMask(mask);
    } catch (...) {
        ReportProgress(TProgressStage::psEnding, 0, SConverting);
        throw;
    }
    ReportProgress(TProgressStage::psEnding, 100, SConverting);
    // Rendered again from the indices when asked, so the bitmap always
    // matches the frame's table.
    FreeBitmap();
    FreeMask();
    m_palette = {};
}

void TGIFSubImage::DropUnusedColors() {
    std::array<bool, 256> used{};
    for (const uint8_t p : Indices()) used[p] = true;
    const TGIFPalette palette = m_colorMap.ExportPalette();
    TGIFPalette kept;
    std::array<uint8_t, 256> map{};
    for (qsizetype i = 0; i < palette.size(); ++i)
        if (used[size_t(i)]) {
            map[size_t(i)] = uint8_t(kept.size());
            kept.push_back(palette[i]);
        }
    if (kept.size() == palette.size()) return;
    for (uint8_t& p : Indices()) p = map[p];
    m_colorMap.ImportPalette(kept);
}

void TGIFSubImage::Assign(const QIcon& source) {
    const QList<QSize> sizes = source.availableSizes();
    const QSize size = sizes.isEmpty() ? QSize(32, 32) : sizes.first();
    Assign(source.pixmap(size).toImage());
}

void TGIFSubImage::Assign(const platform::TGraphic& source) {
    QImage bitmap;
    try {
        source.AssignTo(bitmap);
    } catch (const platform::EConvertError&) {
        bitmap = QImage(source.Width(), source.Height(), QImage::Format_RGB888);
        if (!bitmap.isNull()) {
            bitmap.fill(Qt::black);
            QPainter p(&bitmap);
            source.Draw(p, bitmap.rect());
        }
    }
    Assign(bitmap);
}

void TGIFSubImage::AssignTo(QImage& dest) { dest = Bitmap(); }

void TGIFSubImage::ImportTransparencyMask(const std::vector<uint8_t>& mask) {
    if (Empty() || int64_t(mask.size()) < DataSize()) return;
    m_colorMap.Optimize();
    if (m_colorMap.Count() == 0 || m_colorMap.Count() >= TGIFColorMap::MaxColors) return;
    const int index = m_colorMap.Add(RGBColor(0, 0, 0));
    bool taken = false;
    for (int64_t i = 0; i < DataSize(); ++i)
        if (mask[size_t(i)]) {
            Data()[i] = uint8_t(index);
            taken = true;
        }
    if (!taken) {
        m_colorMap.Delete(index);
        return;
    }
    TGIFGraphicControlExtension& gce = EnsureGraphicControlExtension();
    gce.SetTransparentColorIndex(uint8_t(index));
    gce.SetTransparent(true);
    FreeBitmap();
    FreeMask();
}

} // namespace image
