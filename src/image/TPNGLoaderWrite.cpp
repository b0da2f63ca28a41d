// Writing PNG and MNG files.
//
// The compressed image data is built in memory first (a TMemStream), so the
// IDAT chunk is written with its length in front and the output stream is
// never sought; filter mode -3 builds it once per trial mode and keeps the
// smallest. Rows are handed to the deflate stream with their filter byte as
// PNG stores them: 24-bit pixels as R, G, B (for MNG with R - G and B - G),
// 16-bit grey big-endian.
//
// What the loader carries over from the last file read (TransparentColor,
// Gamma, SuggestedPalette) is written only where it is a legal value for the
// image being written, so a leftover never makes an invalid file.
#include "image/Adler32.h"
#include "image/EImageError.h"
#include "image/PNGFilters.h"
#include "image/PNGTables.h"
#include "image/TBufferedStream.h"
#include "image/TCRC32Stream.h"
#include "image/TDeflateStream.h"
#include "image/TMemStream.h"
#include "image/TPNGLoader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace image {

namespace {

constexpr uint8_t ZlibHeader[2] = {0x78, 0xDA}; // deflate, 32 KiB window, best compression

void PutBE32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

void WriteAll(TBaseStream& stream, const void* buf, int count) {
    if (stream.Write(buf, count) != count) throw EInOutError("Error writing to stream - short write");
}

// Writes one chunk whose data is in memory.
void WriteChunk(TCRC32Stream& out, const char* type, const uint8_t* data, uint32_t length) {
    uint8_t head[4];
    PutBE32(head, length);
    WriteAll(out, head, 4);
    out.Reset();
    WriteAll(out, type, 4);
    if (length > 0) WriteAll(out, data, int(length));
    PutBE32(head, out.GetCRC());
    WriteAll(out, head, 4);
}

// How a bitmap is stored.
struct TLayout {
    int colorType;
    int depth;
    int pixelBytes;
};

TLayout LayoutOf(const TLinearBitmap& b) {
    switch (b.PixelFormat()) {
    case TPixelFormat::pf8bit: return {b.IsGrayScale() ? 0 : 3, 8, 1};
    case TPixelFormat::pf16bit: return {0, 16, 2};
    default: return {2, 8, 3};
    }
}

// Row `y` of `b` in PNG's byte order.
void PrepareRow(const TLinearBitmap& b, int y, bool intrapixel, uint8_t* out) {
    const uint8_t* src = b.ScanLine(y);
    const int w = b.Width();
    switch (b.PixelFormat()) {
    case TPixelFormat::pf8bit: std::memcpy(out, src, size_t(w)); break;
    case TPixelFormat::pf16bit:
        for (int x = 0; x < w; ++x) {
            out[2 * x] = src[2 * x + 1];
            out[2 * x + 1] = src[2 * x];
        }
        break;
    default:
        for (int x = 0; x < w; ++x, src += 3, out += 3) {
            const uint8_t g = src[1];
            out[0] = intrapixel ? uint8_t(src[2] - g) : src[2];
            out[1] = g;
            out[2] = intrapixel ? uint8_t(src[0] - g) : src[0];
        }
        break;
    }
}

// Filter mode -1: the sum of the bytes read as signed numbers, made positive.
int64_t SumOfMagnitudes(const uint8_t* f, int n) {
    int64_t sum = 0;
    for (int i = 0; i < n; ++i) sum += std::abs(int(int8_t(f[i])));
    return sum;
}

// Filter mode -2: positions from the fifth byte on whose byte equals each of
// the four before it.
int64_t RunPositions(const uint8_t* f, int n) {
    int64_t count = 0;
    for (int i = 4; i < n; ++i)
        count += f[i] == f[i - 1] && f[i] == f[i - 2] && f[i] == f[i - 3] && f[i] == f[i - 4];
    return count;
}

// The zlib stream of the filtered rows of `b` with filter mode `mode`.
void CompressImage(const TLinearBitmap& b, bool intrapixel, int mode, TMemStream& out) {
    WriteAll(out, ZlibHeader, 2);
    TDeflateStream deflater(out, TDeflateMode::Compress);
    deflater.SetMethod(TDeflateMethod::Dynamic);
    TAdler32 adler;
    const int bpp = LayoutOf(b).pixelBytes;
    const int rowBytes = b.Width() * bpp;
    std::vector<uint8_t> rawA(size_t(rowBytes), 0), rawB(size_t(rowBytes), 0);
    std::array<std::vector<uint8_t>, 5> filtered;
    for (auto& f : filtered) f.resize(size_t(rowBytes) + 1);
    uint8_t* cur = rawA.data();
    uint8_t* prev = rawB.data();
    for (int y = 0; y < b.Height(); ++y) {
        PrepareRow(b, y, intrapixel, cur);
        int chosen = mode;
        if (mode >= 0) {
            FilterRow(mode, cur, prev, filtered[size_t(mode)].data() + 1, rowBytes, bpp);
        } else {
            int64_t best = 0;
            for (int t = 0; t < 5; ++t) {
                uint8_t* f = filtered[size_t(t)].data() + 1;
                FilterRow(t, cur, prev, f, rowBytes, bpp);
                // Ties go to the lower filter number.
                if (mode == -1) {
                    const int64_t score = SumOfMagnitudes(f, rowBytes);
                    if (t == 0 || score < best) best = score, chosen = t;
                } else {
                    const int64_t score = RunPositions(f, rowBytes);
                    if (t == 0 || score > best) best = score, chosen = t;
                }
            }
        }
        uint8_t* row = filtered[size_t(chosen)].data();
        row[0] = uint8_t(chosen);
        Adler32Update(adler, row, size_t(rowBytes) + 1);
        WriteAll(deflater, row, rowBytes + 1);
        std::swap(cur, prev);
    }
    deflater.Finish();
    uint8_t trailer[4];
    Adler32Bytes(adler, trailer);
    WriteAll(out, trailer, 4);
}

// A lossy step on one sample: onto the prediction when it is within the
// tolerance, else to the nearest value whose distance from the prediction
// is a whole number of tolerances (modulo 256).
uint8_t Quantize(int v, int p, int tolerance) {
    if (std::abs(p - v) <= tolerance) return uint8_t(p);
    const int r = ((v - p) & 0xFF) % tolerance;
    return r >= tolerance / 2 ? uint8_t(std::min(v + tolerance - r, 255)) : uint8_t(std::max(v - r, 0));
}

// Replaces every byte of the bitmap through `table`.
void ApplyColorMap(const std::array<uint8_t, 256>& table, TLinearBitmap& b) {
    uint8_t* p = b.Map();
    for (int64_t i = 0; i < b.Size(); ++i) p[i] = table[p[i]];
}

} // namespace

int TPNGLoader::LossyPrePass(TLinearBitmap& image) const {
    const int tolerance = m_lossyTolerance;
    const int transparent = m_transparentColor;
    const int w = image.Width(), h = image.Height();

    if (image.PixelFormat() == TPixelFormat::pf8bit && !image.IsGrayScale()) {
        // Rank the entries by brightness so that neighbouring indices hold
        // similar colours; the transparent entry keeps its index.
        uint8_t* palette = image.Palette();
        std::array<int, 256> order;
        for (int i = 0; i < 256; ++i) order[size_t(i)] = i;
        const auto key = [&](int i) { return 2 * palette[3 * i + 2] + 3 * palette[3 * i + 1] + palette[3 * i]; };
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return key(a) < key(b); });
        if (transparent >= 0 && transparent < 256) {
            const auto at = std::find(order.begin(), order.end(), transparent);
            std::iter_swap(at, order.begin() + transparent);
        }
        std::array<uint8_t, 256> map;
        std::array<uint8_t, 768> newPalette;
        for (int r = 0; r < 256; ++r) {
            map[size_t(order[size_t(r)])] = uint8_t(r);
            std::memcpy(&newPalette[size_t(3 * r)], palette + 3 * order[size_t(r)], 3);
        }
        ApplyColorMap(map, image);
        std::memcpy(palette, newPalette.data(), 768);

        const auto distance = [&](int a, int b) {
            return std::abs(palette[3 * a] - palette[3 * b]) + std::abs(palette[3 * a + 1] - palette[3 * b + 1]) +
                   std::abs(palette[3 * a + 2] - palette[3 * b + 2]);
        };
        for (int y = 1; y < h; ++y) {
            uint8_t* row = image.ScanLine(y);
            const uint8_t* up = image.ScanLine(y - 1);
            for (int x = 1; x < w; ++x) {
                if (row[x] == transparent) continue;
                const int predicted = PaethPredictor(row[x - 1], up[x], up[x - 1]);
                if (predicted != transparent && distance(row[x], predicted) < tolerance) row[x] = uint8_t(predicted);
            }
        }
        return PNGFilterPaeth;
    }

    if (image.PixelFormat() == TPixelFormat::pf8bit) {
        for (int y = 1; y < h; ++y) {
            uint8_t* row = image.ScanLine(y);
            const uint8_t* up = image.ScanLine(y - 1);
            for (int x = 1; x < w; ++x) {
                if (row[x] == transparent) continue;
                const uint8_t v = Quantize(row[x], (row[x - 1] + up[x]) / 2, tolerance);
                if (v != transparent) row[x] = v;
            }
        }
        return PNGFilterAverage;
    }

    // 24-bit: B, G, R each against the same byte of the neighbours.
    const auto isTransparent = [&](const uint8_t* p) { return (p[2] | p[1] << 8 | p[0] << 16) == transparent; };
    for (int y = 1; y < h; ++y) {
        uint8_t* row = image.ScanLine(y);
        const uint8_t* up = image.ScanLine(y - 1);
        for (int x = 1; x < w; ++x) {
            uint8_t* p = row + 3 * x;
            if (isTransparent(p)) continue;
            for (int k = 0; k < 3; ++k) p[k] = Quantize(p[k], (p[k - 3] + up[3 * x + k]) / 2, tolerance);
            if (isTransparent(p)) p[2] ^= 1;
        }
    }
    return PNGFilterAverage;
}

void TPNGLoader::WriteFile(TBaseStream& stream, bool mng, const TLinearBitmap& image, TMemStream& idat) const {
    TBufferedStream buffer(stream, 0, TBufferedStream::DefaultBufferSize);
    TCRC32Stream out(buffer);
    const TLayout layout = LayoutOf(image);
    const int w = image.Width(), h = image.Height();

    WriteAll(out, mng ? MNGSignature.data() : PNGSignature.data(), 8);
    if (mng) {
        // A one-frame, one-layer MNG of the image's size, one tick a second,
        // no simplicity profile declared (0).
        uint8_t mhdr[28] = {};
        PutBE32(mhdr, uint32_t(w));
        PutBE32(mhdr + 4, uint32_t(h));
        PutBE32(mhdr + 8, 1);
        PutBE32(mhdr + 12, 1);
        PutBE32(mhdr + 16, 1);
        PutBE32(mhdr + 20, 1);
        WriteChunk(out, "MHDR", mhdr, sizeof mhdr);
    }

    uint8_t ihdr[13];
    PutBE32(ihdr, uint32_t(w));
    PutBE32(ihdr + 4, uint32_t(h));
    ihdr[8] = uint8_t(layout.depth);
    ihdr[9] = uint8_t(layout.colorType);
    ihdr[10] = 0;
    ihdr[11] = mng && layout.colorType == 2 ? MNGIntrapixelFilterMethod : 0;
    ihdr[12] = 0;
    WriteChunk(out, "IHDR", ihdr, sizeof ihdr);

    // gAMA must come before PLTE.
    if (m_gamma > 0 && m_gamma * 100000 < double(PNGMaxChunkLength)) {
        uint8_t gama[4];
        PutBE32(gama, uint32_t(std::lround(m_gamma * 100000)));
        WriteChunk(out, "gAMA", gama, 4);
    }

    // Which carried-over values fit this image.
    int transparent = m_transparentColor;
    const int maxTransparent = layout.colorType == 2 ? 0xFFFFFF : layout.depth == 16 ? 0xFFFF : 0xFF;
    if (transparent < 0 || transparent > maxTransparent) transparent = -1;

    const uint8_t* palette = nullptr;
    int entries = 0;
    if (layout.colorType == 3) {
        // The entries up to the last that is not black, so that a save and
        // reload keeps the palette; and every index used, and the
        // transparent one, must have an entry even when it is black.
        palette = image.Palette();
        const uint8_t* p = image.Map();
        uint8_t highest = 0;
        for (int64_t i = 0; i < image.Size(); ++i) highest = std::max(highest, p[i]);
        int lastColour = 255;
        while (lastColour > 0 && !(palette[3 * lastColour] | palette[3 * lastColour + 1] | palette[3 * lastColour + 2]))
            --lastColour;
        entries = std::max({int(highest), transparent, lastColour}) + 1;
    } else if (layout.colorType == 2 && m_suggestedPalette) {
        palette = m_suggestedPalette->data();
        entries = 256;
        while (entries > 1 && !(palette[3 * entries - 3] | palette[3 * entries - 2] | palette[3 * entries - 1])) --entries;
    }
    if (palette) {
        uint8_t rgb[768];
        for (int i = 0; i < entries; ++i) {
            rgb[3 * i] = palette[3 * i + 2];
            rgb[3 * i + 1] = palette[3 * i + 1];
            rgb[3 * i + 2] = palette[3 * i];
        }
        WriteChunk(out, "PLTE", rgb, uint32_t(3 * entries));
    }

    if (transparent >= 0) {
        uint8_t trns[256];
        uint32_t length;
        if (layout.colorType == 3) {
            std::memset(trns, 255, size_t(transparent));
            trns[transparent] = 0;
            length = uint32_t(transparent) + 1;
        } else if (layout.colorType == 0) {
            trns[0] = uint8_t(transparent >> 8);
            trns[1] = uint8_t(transparent);
            length = 2;
        } else {
            const uint8_t rgb[6] = {0, uint8_t(transparent), 0, uint8_t(transparent >> 8), 0, uint8_t(transparent >> 16)};
            std::memcpy(trns, rgb, 6);
            length = 6;
        }
        WriteChunk(out, "tRNS", trns, length);
    }

    const int64_t size = idat.GetSize();
    if (size > int64_t(PNGMaxChunkLength)) throw ELinearBitmap(SInvalidBitmapSize);
    uint8_t head[4];
    PutBE32(head, uint32_t(size));
    WriteAll(out, head, 4);
    out.Reset();
    WriteAll(out, "IDAT", 4);
    idat.SetPosition(0);
    uint8_t piece[4096];
    for (int64_t left = size; left > 0;) {
        const int n = int(std::min<int64_t>(left, sizeof piece));
        idat.Read(piece, n);
        WriteAll(out, piece, n);
        left -= n;
    }
    PutBE32(head, out.GetCRC());
    WriteAll(out, head, 4);

    WriteChunk(out, "IEND", nullptr, 0);
    if (mng) WriteChunk(out, "MEND", nullptr, 0);
    buffer.Flush();
}

void TPNGLoader::SaveToStream(TBaseStream& stream, const std::string& ext, const TLinearBitmap& bitmap) {
    const TPixelFormat format = bitmap.PixelFormat();
    if (!bitmap.Present() ||
        (format != TPixelFormat::pf8bit && format != TPixelFormat::pf16bit && format != TPixelFormat::pf24bit))
        throw ELinearBitmap(SUnsupportedPixelFormat);
    if (m_filterMode < -3 || m_filterMode > PNGFilterPaeth) throw EAssertionFailed("Assertion failed");
    const bool mng = ext == "MNG";
    const bool intrapixel = mng && format == TPixelFormat::pf24bit;

    if (m_lossyTolerance > 0 && format != TPixelFormat::pf16bit && !intrapixel) {
        TLinearBitmap copy(bitmap);
        const int mode = LossyPrePass(copy);
        TMemStream idat;
        CompressImage(copy, false, mode, idat);
        WriteFile(stream, mng, copy, idat);
        return;
    }
    if (m_filterMode != -3) {
        TMemStream idat;
        CompressImage(bitmap, intrapixel, m_filterMode, idat);
        WriteFile(stream, mng, bitmap, idat);
        return;
    }
    // Only the image data differs between the trials, so the smallest
    // image data makes the smallest file; the first one wins ties.
    std::unique_ptr<TMemStream> best;
    for (int mode = -2; mode <= PNGFilterPaeth; ++mode) {
        auto trial = std::make_unique<TMemStream>();
        CompressImage(bitmap, intrapixel, mode, *trial);
        if (!best || trial->GetSize() < best->GetSize()) best = std::move(trial);
        if (ProgressUpdate) ProgressUpdate((mode + 3) * 100 / 8);
    }
    WriteFile(stream, mng, bitmap, *best);
}

} // namespace image
