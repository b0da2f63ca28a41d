#include "image/gif/ColorReduction.h"

#include "image/gif/GIFException.h"
#include "image/gif/TColorQuantizer.h"
#include "image/gif/TNetscapeColorLookup.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

namespace image {

namespace {

using TEntries = std::vector<TRGBTriple>;

TRGBTriple ToTriple(QRgb c) { return {uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c))}; }

TEntries FromPalette(const TGIFPalette& palette) {
    TEntries e;
    const qsizetype n = std::min<qsizetype>(palette.size(), 256);
    e.reserve(size_t(n));
    for (qsizetype i = 0; i < n; ++i) e.push_back(ToTriple(palette[i]));
    return e;
}

TGIFPalette ToPalette(const TEntries& entries) {
    TGIFPalette p;
    p.reserve(qsizetype(entries.size()));
    for (const TRGBTriple& c : entries) p.push_back(qRgb(c.Red, c.Green, c.Blue));
    return p;
}

template <size_t N>
TEntries FromTable(const std::array<TRGBTriple, N>& table) {
    return TEntries(table.begin(), table.end());
}

// A cache of 32768 slots keyed by the 5 high bits of each channel. Each
// entry first claims the slot of its own colour (the first entry wins); an
// empty slot is filled, the first time a colour reaches it, by the entry
// with the smallest sum of channel differences to that colour, and then
// answers for every colour of the slot.
class TFastColorLookup : public TColorLookup {
public:
    explicit TFastColorLookup(TEntries entries) : TColorLookup(int(entries.size())), m_entries(std::move(entries)) {
        m_cache.fill(Empty);
        for (size_t i = 0; i < m_entries.size(); ++i) {
            uint16_t& slot = m_cache[Key(m_entries[i].Red, m_entries[i].Green, m_entries[i].Blue)];
            if (slot == Empty) slot = uint16_t(i);
        }
    }

    uint8_t Lookup(uint8_t red, uint8_t green, uint8_t blue, TRGBTriple& color) override {
        uint16_t& slot = m_cache[Key(red, green, blue)];
        if (slot == Empty) {
            int best = 0, bestDistance = 1 << 30;
            for (size_t i = 0; i < m_entries.size(); ++i) {
                const TRGBTriple& e = m_entries[i];
                const int d = std::abs(e.Red - red) + std::abs(e.Green - green) + std::abs(e.Blue - blue);
                if (d < bestDistance) {
                    bestDistance = d;
                    best = int(i);
                }
            }
            slot = uint16_t(best);
        }
        color = m_entries[slot];
        return uint8_t(slot);
    }

private:
    static constexpr uint16_t Empty = 0xFFFF;
    static size_t Key(uint8_t r, uint8_t g, uint8_t b) { return size_t((r >> 3) | ((g >> 3) << 5) | ((b >> 3) << 10)); }

    TEntries m_entries;
    std::array<uint16_t, 32768> m_cache;
};

// The nearest entry by squared distance, the first of equals winning (our
// stand-in for the system's nearest-palette-index search). Answers are
// remembered per exact colour in a small hashed cache, which keeps them
// exact and spares photos most searches.
class TSlowColorLookup : public TColorLookup {
public:
    explicit TSlowColorLookup(TEntries entries) : TColorLookup(int(entries.size())), m_entries(std::move(entries)) {
        m_keys.assign(CacheSize, 0);
        m_indices.assign(CacheSize, 0);
    }

    uint8_t Lookup(uint8_t red, uint8_t green, uint8_t blue, TRGBTriple& color) override {
        // Stored keys are the colour plus one, so 0 marks an empty slot.
        const uint32_t key = ((uint32_t(red) << 16) | (uint32_t(green) << 8) | blue) + 1;
        const size_t slot = (key * 2654435761u) >> 16;
        if (m_keys[slot] != key) {
            int best = 0, bestDistance = 1 << 30;
            for (size_t i = 0; i < m_entries.size(); ++i) {
                const TRGBTriple& e = m_entries[i];
                const int dr = e.Red - red, dg = e.Green - green, db = e.Blue - blue;
                const int d = dr * dr + dg * dg + db * db;
                if (d < bestDistance) {
                    bestDistance = d;
                    best = int(i);
                }
            }
            m_keys[slot] = key;
            m_indices[slot] = uint8_t(best);
        }
        const uint8_t index = m_indices[slot];
        color = m_entries[index];
        return index;
    }

private:
    static constexpr size_t CacheSize = 65536;
    TEntries m_entries;
    std::vector<uint32_t> m_keys;
    std::vector<uint8_t> m_indices;
};

class TGrayScaleLookup : public TColorLookup {
public:
    TGrayScaleLookup() : TColorLookup(256) {}
    uint8_t Lookup(uint8_t red, uint8_t green, uint8_t blue, TRGBTriple& color) override {
        const auto grey = uint8_t((77 * red + 150 * green + 29 * blue) >> 8);
        color = {grey, grey, grey};
        return grey;
    }
};

class TMonochromeLookup : public TColorLookup {
public:
    TMonochromeLookup() : TColorLookup(2) {}
    uint8_t Lookup(uint8_t red, uint8_t green, uint8_t blue, TRGBTriple& color) override {
        if (77 * red + 150 * green + 29 * blue > 32512) {
            color = {255, 255, 255};
            return 1;
        }
        color = {0, 0, 0};
        return 0;
    }
};

} // namespace

TGIFPalette WebPalette() { return ToPalette(FromTable(WebPaletteTable)); }

TGIFPalette SystemPalette() { return ToPalette(FromTable(SystemPalette20)); }

TGIFPalette QuantizePalette(const QImage& rgb888, int maxColors, int colorBits, bool windows) {
    TEntries palette(size_t(std::max(maxColors, 1)));
    size_t first = 0;
    if (windows) {
        palette.assign(256, {});
        std::copy_n(SystemPalette20.begin(), 10, palette.begin());
        std::copy_n(SystemPalette20.begin() + 10, 10, palette.begin() + 246);
        maxColors = 236;
        first = 10;
    }
    TColorQuantizer quantizer(maxColors, colorBits);
    for (int y = 0; y < rgb888.height(); ++y) {
        const uchar* p = rgb888.constScanLine(y);
        for (int x = 0; x < rgb888.width(); ++x, p += 3) quantizer.AddColor(p[0], p[1], p[2]);
    }
    const TEntries table = quantizer.ColorTable();
    std::copy_n(table.begin(), std::min(table.size(), palette.size() - first), palette.begin() + ptrdiff_t(first));
    return ToPalette(palette);
}

QImage ReduceBitmapColors(const QImage& bitmap, TColorReduction colorReduction, TDitherMode ditherMode,
                          int reductionBits, const TGIFPalette& userPalette, int reservedEntries) {
    if (colorReduction == TColorReduction::ReduceNone) return bitmap.convertToFormat(QImage::Format_RGB888);

    // A copy: the caller's bitmap keeps its format.
    const QImage source = bitmap.convertToFormat(QImage::Format_RGB888);
    TGIFPalette palette;
    std::unique_ptr<TColorLookup> lookup;
    switch (colorReduction) {
    case TColorReduction::ReduceSystem20:
        palette = SystemPalette();
        lookup = std::make_unique<TSlowColorLookup>(FromPalette(palette));
        break;
    case TColorReduction::ReduceHalftone:
        palette = ToPalette(FromTable(HalftonePalette));
        lookup = std::make_unique<TSlowColorLookup>(FromPalette(palette));
        break;
    case TColorReduction::ReduceGray4:
        for (uint8_t g : Gray4Levels) palette.push_back(qRgb(g, g, g));
        lookup = std::make_unique<TSlowColorLookup>(FromPalette(palette));
        break;
    case TColorReduction::ReduceMono:
        palette = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
        lookup = std::make_unique<TMonochromeLookup>();
        break;
    case TColorReduction::ReduceGray256:
        for (int i = 0; i < 256; ++i) palette.push_back(qRgb(i, i, i));
        lookup = std::make_unique<TGrayScaleLookup>();
        break;
    case TColorReduction::ReduceCube216:
        palette = WebPalette();
        lookup = std::make_unique<TNetscapeColorLookup>();
        break;
    case TColorReduction::ReduceOctree:
        palette = QuantizePalette(source, std::min(1 << std::clamp(reductionBits, 1, 8), 256 - std::clamp(reservedEntries, 0, 255)),
                                  8, false);
        lookup = std::make_unique<TFastColorLookup>(FromPalette(palette));
        break;
    case TColorReduction::ReduceOctreeSystem:
        palette = QuantizePalette(source, 256, 8, true);
        lookup = std::make_unique<TSlowColorLookup>(FromPalette(palette));
        break;
    case TColorReduction::ReduceUserPalette:
        palette = userPalette.mid(0, 256);
        lookup = std::make_unique<TSlowColorLookup>(FromPalette(palette));
        break;
    default:
        return {};
    }
    if (lookup->Colors() == 0 || static_cast<uint8_t>(ditherMode) > static_cast<uint8_t>(TDitherMode::DitherBurkes))
        return {};
    const int width = source.width(), height = source.height();
    if (width <= 0 || height <= 0) RaiseGIFError(SInvalidImageDimensions);

    QImage result(width, height, QImage::Format_Indexed8);
    if (result.isNull()) throw std::bad_alloc();
    result.setColorTable(palette);
    TDitherEngine ditherer(width, *lookup, ditherMode);
    TRGBTriple color;
    for (int y = 0; y < height; ++y) {
        const uchar* in = source.constScanLine(y);
        uchar* out = result.scanLine(y);
        for (int x = ditherer.Column(); x >= 0 && x < width; x = ditherer.Column())
            out[x] = ditherer.Dither(in[3 * x], in[3 * x + 1], in[3 * x + 2], color);
        ditherer.NextLine();
    }
    return result;
}

} // namespace image
