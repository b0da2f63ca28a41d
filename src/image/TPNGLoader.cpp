// Reading PNG and MNG files.
//
// The chunk walk runs over a 64 KiB read buffer and a CRC stream; every
// chunk that is not skipped has its CRC checked, the IDAT chunks of the image
// data included (TIDATStream checks each one as it leaves it). The image
// data is inflated row by row; each row is unfiltered in place against the
// row before it (two buffers that swap roles) and unpacked straight into the
// bitmap, or for Adam7 into one row of pixels that is spread over the rows
// and columns of its pass. The zlib trailer is read through the IDAT stream,
// so it may lie in any chunk.
//
// Every length read from the file is checked before it is used: a chunk
// takes at most the bytes it declares, tables (PLTE, tRNS) at most 256
// entries, and the bitmap's size limit bounds the rows.
#include "image/TPNGLoader.h"

#include "image/Adler32.h"
#include "image/EImageError.h"
#include "image/LinearBitmapTables.h"
#include "image/LinearBitmapUtils.h"
#include "image/PNGFilters.h"
#include "image/PNGTables.h"
#include "image/TBufferedStream.h"
#include "image/TCRC32Stream.h"
#include "image/TDeflateStream.h"
#include "image/TIDATStream.h"

#include <algorithm>
#include <climits>
#include <span>
#include <cstring>
#include <vector>

namespace image {

namespace {

constexpr const char* SInvalidPNGHeader = "Invalid PNG header";
constexpr const char* SInvalidPNGData = "Invalid PNG data";
constexpr const char* SUnsupportedPNGData = "Unsupported PNG data";
constexpr const char* SCRCError = "CRC error";
constexpr const char* SAdler32Error = "Adler32 error";

// The most decompressed bytes accepted after the last row of the image.
constexpr int64_t MaxExtraImageData = 1 << 20;

// The input ended inside a read of the chunk walk. Before the image data is
// complete that is an error; after it, it ends the file.
struct TInputEnded {};

uint32_t BE32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

bool IsType(const uint8_t* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

// Reads until `count` bytes came or the stream delivers nothing more.
int ReadSome(TBaseStream& stream, void* buf, int count) {
    auto* p = static_cast<uint8_t*>(buf);
    int done = 0;
    while (done < count) {
        const int got = stream.Read(p + done, count - done);
        if (got <= 0) break;
        done += got;
    }
    return done;
}

// Whether IHDR's bit depth is one PNG allows for the colour type.
bool IsValidDepth(int colorType, int depth) {
    switch (colorType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
    }
}

int SamplesPerPixel(int colorType) {
    static constexpr int Samples[7] = {1, 0, 3, 1, 2, 0, 4};
    return Samples[colorType];
}

// How the samples of a row become bitmap pixels.
struct TRowFormat {
    int colorType;
    int depth;
    bool intrapixel; // MNG filter method 64: R and B are stored minus G
};

// Unpacks `count` pixels of an unfiltered row into bitmap pixels; alpha
// samples go to `alpha` when it is given.
void UnpackRow(const TRowFormat& f, const uint8_t* src, uint8_t* dst, uint8_t* alpha, int count) {
    switch (f.colorType) {
    case 0:
    case 3:
        if (f.depth < 8) {
            const int mask = (1 << f.depth) - 1;
            for (int x = 0, bit = 0; x < count; ++x, bit += f.depth)
                dst[x] = uint8_t((src[bit >> 3] >> (8 - f.depth - (bit & 7))) & mask);
        } else if (f.depth == 8) {
            std::memcpy(dst, src, size_t(count));
        } else {
            for (int x = 0; x < count; ++x) {
                dst[2 * x] = src[2 * x + 1];
                dst[2 * x + 1] = src[2 * x];
            }
        }
        break;
    case 4:
        if (f.depth == 8) {
            for (int x = 0; x < count; ++x) dst[x] = src[2 * x];
            if (alpha)
                for (int x = 0; x < count; ++x) alpha[x] = src[2 * x + 1];
        } else {
            for (int x = 0; x < count; ++x) {
                dst[2 * x] = src[4 * x + 1];
                dst[2 * x + 1] = src[4 * x];
            }
            if (alpha)
                for (int x = 0; x < count; ++x) alpha[x] = src[4 * x + 2];
        }
        break;
    default: {
        const int step = (f.colorType == 6 ? 4 : 3) * (f.depth / 8);
        if (f.depth == 8) {
            for (int x = 0; x < count; ++x, src += step, dst += 3) {
                uint8_t r = src[0], b = src[2];
                const uint8_t g = src[1];
                if (f.intrapixel) r = uint8_t(r + g), b = uint8_t(b + g);
                dst[0] = b, dst[1] = g, dst[2] = r;
                if (alpha && f.colorType == 6) alpha[x] = src[3];
            }
        } else {
            for (int x = 0; x < count; ++x, src += step, dst += 3) {
                uint32_t r = uint32_t(src[0]) << 8 | src[1], b = uint32_t(src[4]) << 8 | src[5];
                const uint32_t g = uint32_t(src[2]) << 8 | src[3];
                // The difference is undone on the whole samples, before the
                // low bytes are dropped, so that carries are not lost.
                if (f.intrapixel) r = (r + g) & 0xFFFF, b = (b + g) & 0xFFFF;
                dst[0] = uint8_t(b >> 8), dst[1] = uint8_t(g >> 8), dst[2] = uint8_t(r >> 8);
                if (alpha && f.colorType == 6) alpha[x] = src[6];
            }
        }
        break;
    }
    }
}

// Spreads a pass's row of `count` pixels over `row` from column startX, one
// pixel every stepX columns.
void SpreadPixels(const uint8_t* pixels, uint8_t* row, int count, int pixelSize, const TAdam7Pass& pass) {
    uint8_t* dst = row + size_t(pass.startX) * size_t(pixelSize);
    const size_t stride = size_t(pass.stepX) * size_t(pixelSize);
    for (int i = 0; i < count; ++i, pixels += pixelSize, dst += stride) std::memcpy(dst, pixels, size_t(pixelSize));
}

} // namespace

// One run of LoadFromStream.
struct TPNGLoader::TReader {
    TReader(TPNGLoader& owner, TBaseStream& input, bool isMNG) : loader(owner), crc(input), mng(isMNG) {}

    void Run();

    TPNGLoader& loader;
    TCRC32Stream crc;
    bool mng;
    TLinearBitmap image;
    std::unique_ptr<TLinearBitmap> alpha;
    bool haveHeader = false;
    bool imageDone = false;
    int width = 0, height = 0, depth = 0, colorType = 0, interlace = 0;
    bool intrapixel = false;
    uint32_t remaining = 0; // data bytes of the current chunk not yet read

private:
    void Walk();
    void ReadRaw(void* buf, int count) {
        if (ReadSome(crc, buf, count) < count) throw TInputEnded{};
    }
    // Reads `count` bytes of the current chunk's data (the caller keeps
    // within `remaining`).
    void ReadData(void* buf, int count) {
        ReadRaw(buf, count);
        remaining -= uint32_t(count);
    }
    void SkipData() {
        uint8_t scratch[4096];
        while (remaining > 0) ReadData(scratch, int(std::min<uint32_t>(remaining, sizeof scratch)));
    }
    void ReadHeader();
    bool ReadPalette();
    void ReadGamma();
    void ReadTransparency();
    void ReadImage();
};

void TPNGLoader::TReader::Run() {
    try {
        Walk();
    } catch (const TInputEnded&) {
        if (!imageDone) throw EInOutError(SReadLessThanExpected);
    }
    if (!imageDone) throw EImageError(SUnsupportedPNGData);
}

void TPNGLoader::TReader::Walk() {
    for (;;) {
        uint8_t head[4], type[4];
        ReadRaw(head, 4);
        crc.Reset();
        ReadRaw(type, 4);
        const uint32_t length = BE32(head);
        if (length > PNGMaxChunkLength) throw EImageError(SInvalidPNGData);
        remaining = length;
        bool checked = true;
        bool last = false;
        if (IsType(type, "IHDR")) {
            ReadHeader();
        } else if (IsType(type, "PLTE")) {
            checked = ReadPalette();
        } else if (IsType(type, "IDAT")) {
            if (!haveHeader) throw EImageError(SInvalidPNGData);
            if (!imageDone) {
                // Reads through the last IDAT chunk of the image and its CRC.
                ReadImage();
                continue;
            }
            // Chunks after the image's data are checked and dropped.
        } else if (IsType(type, "gAMA")) {
            ReadGamma();
        } else if (IsType(type, "tRNS")) {
            ReadTransparency();
        } else if (IsType(type, "IEND")) {
            last = true;
        } else if (IsType(type, "MHDR") || IsType(type, "MEND") || IsType(type, "DEFI") || (type[0] & 0x20)) {
            checked = false;
        } else {
            throw EImageError(SUnsupportedPNGData);
        }
        SkipData();
        const uint32_t sum = crc.GetCRC();
        uint8_t stored[4];
        ReadRaw(stored, 4);
        if (checked && BE32(stored) != sum) throw EImageError(SCRCError);
        if (last) return;
    }
}

void TPNGLoader::TReader::ReadHeader() {
    if (haveHeader || remaining != 13) throw EImageError(SInvalidPNGData);
    uint8_t h[13];
    ReadData(h, 13);
    const uint32_t w = BE32(h), ht = BE32(h + 4);
    depth = h[8];
    colorType = h[9];
    interlace = h[12];
    const int compression = h[10], filterMethod = h[11];
    if (w == 0 || ht == 0 || w > uint32_t(INT_MAX) || ht > uint32_t(INT_MAX) || !IsValidDepth(colorType, depth) ||
        compression != 0 || interlace > 1 || (filterMethod != 0 && !(mng && filterMethod == MNGIntrapixelFilterMethod)))
        throw EImageError(SInvalidPNGData);
    intrapixel = filterMethod == MNGIntrapixelFilterMethod;
    if (intrapixel && colorType != 2 && colorType != 6) throw EImageError(SUnsupportedPixelFormat);
    width = int(w);
    height = int(ht);
    // A row with its filter byte must fit an int read, with room to spare.
    const int64_t rowBytes = (int64_t(width) * SamplesPerPixel(colorType) * depth + 7) / 8 + 1;
    if (rowBytes > INT_MAX / 2) throw ELinearBitmap(SInvalidBitmapSize);

    TPixelFormat format = TPixelFormat::pf8bit;
    if (colorType == 2 || colorType == 6)
        format = TPixelFormat::pf24bit;
    else if (depth == 16)
        format = TPixelFormat::pf16bit;
    image.New(width, height, format);
    if (format == TPixelFormat::pf8bit && colorType != 3) {
        uint8_t* palette = image.Palette();
        if (depth < 8) {
            std::memset(palette, 0, 768);
            MakeGrayRamp(palette, 1 << depth);
        } else {
            std::memcpy(palette, GrayPalette.data(), 768);
        }
    }
    if (loader.m_keepAlpha && (colorType == 4 || colorType == 6)) {
        alpha = std::make_unique<TLinearBitmap>();
        alpha->New(width, height, TPixelFormat::pf8bit);
        std::memcpy(alpha->Palette(), GrayPalette.data(), 768);
    }
    loader.m_bitDepth = depth;
    haveHeader = true;
}

bool TPNGLoader::TReader::ReadPalette() {
    uint8_t* target = nullptr;
    if (haveHeader && colorType == 3) {
        target = image.Palette();
    } else if (haveHeader && (colorType == 2 || colorType == 6) && loader.m_keepAlpha) {
        loader.m_suggestedPalette = std::make_unique<std::array<uint8_t, 768>>();
        target = loader.m_suggestedPalette->data();
    } else {
        // Grey images have no palette; a PLTE there (or before IHDR) is
        // dropped like an ancillary chunk.
        return false;
    }
    const int entries = int(std::min<uint32_t>(remaining / 3, 256));
    uint8_t rgb[768];
    ReadData(rgb, 3 * entries);
    std::memset(target, 0, 768);
    for (int i = 0; i < entries; ++i) {
        target[3 * i] = rgb[3 * i + 2];
        target[3 * i + 1] = rgb[3 * i + 1];
        target[3 * i + 2] = rgb[3 * i];
    }
    return true;
}

void TPNGLoader::TReader::ReadGamma() {
    if (remaining != 4) return;
    uint8_t v[4];
    ReadData(v, 4);
    loader.m_gamma = BE32(v) / 100000.0;
}

void TPNGLoader::TReader::ReadTransparency() {
    if (!haveHeader) return;
    uint8_t t[256];
    if (colorType == 0 && remaining == 2) {
        ReadData(t, 2);
        loader.m_transparentColor = t[0] << 8 | t[1];
    } else if (colorType == 2 && depth == 8 && remaining == 6) {
        ReadData(t, 6);
        loader.m_transparentColor = t[1] | t[3] << 8 | t[5] << 16;
    } else if (colorType == 3) {
        const int n = int(std::min<uint32_t>(remaining, 256));
        ReadData(t, n);
        const uint8_t* zero = static_cast<const uint8_t*>(std::memchr(t, 0, size_t(n)));
        loader.m_transparentColor = zero ? int(zero - t) : -1;
        if (loader.m_keepAlpha) {
            loader.m_alphaTable = std::make_unique<std::array<uint8_t, 256>>();
            loader.m_alphaTable->fill(255);
            std::memcpy(loader.m_alphaTable->data(), t, size_t(n));
        }
    }
}

void TPNGLoader::TReader::ReadImage() {
    TIDATStream idat(crc, remaining);
    remaining = 0;
    uint8_t zlibHeader[2];
    idat.Read(zlibHeader, 2);
    if ((zlibHeader[0] & 0x0F) != 8 || (zlibHeader[0] >> 4) > 7) throw EImageError(SInvalidPNGData);
    TDeflateStream inflater(idat, TDeflateMode::Decompress);
    TAdler32 adler;

    const TRowFormat format{colorType, depth, intrapixel};
    const int bitsPerPixel = SamplesPerPixel(colorType) * depth;
    const int bpp = std::max(1, bitsPerPixel / 8);
    const int pixelSize = image.PixelSize();
    const size_t maxRow = (size_t(width) * size_t(bitsPerPixel) + 7) / 8 + 1;
    std::vector<uint8_t> rowA(maxRow), rowB(maxRow);
    std::vector<uint8_t> pixels, alphaPixels;
    if (interlace) {
        pixels.resize(size_t(width) * size_t(pixelSize));
        if (alpha) alphaPixels.resize(size_t(width));
    }

    static constexpr TAdam7Pass WholeImage{0, 0, 1, 1};
    const std::span<const TAdam7Pass> passes =
        interlace ? std::span<const TAdam7Pass>(Adam7Passes) : std::span<const TAdam7Pass>(&WholeImage, 1);
    const auto passWidth = [&](const TAdam7Pass& p) { return width > p.startX ? (width - p.startX + p.stepX - 1) / p.stepX : 0; };
    const auto passHeight = [&](const TAdam7Pass& p) { return height > p.startY ? (height - p.startY + p.stepY - 1) / p.stepY : 0; };
    int64_t totalRows = 0, rowsDone = 0;
    for (const TAdam7Pass& p : passes)
        if (passWidth(p) > 0) totalRows += passHeight(p);

    for (const TAdam7Pass& pass : passes) {
        const int pw = passWidth(pass), ph = passHeight(pass);
        if (pw == 0 || ph == 0) continue;
        const int rowBytes = int((int64_t(pw) * bitsPerPixel + 7) / 8);
        uint8_t* cur = rowA.data();
        uint8_t* prev = rowB.data();
        std::memset(prev, 0, size_t(rowBytes) + 1);
        for (int r = 0; r < ph; ++r) {
            if (ReadSome(inflater, cur, rowBytes + 1) < rowBytes + 1) throw EInOutError(SReadLessThanExpected);
            Adler32Update(adler, cur, size_t(rowBytes) + 1);
            if (cur[0] > PNGFilterPaeth) throw EImageError(SInvalidPNGData);
            UnfilterRow(cur[0], cur + 1, prev + 1, rowBytes, bpp);
            const int y = pass.startY + r * pass.stepY;
            uint8_t* alphaRow = alpha ? alpha->ScanLine(y) : nullptr;
            if (!interlace) {
                UnpackRow(format, cur + 1, image.ScanLine(y), alphaRow, pw);
            } else {
                UnpackRow(format, cur + 1, pixels.data(), alpha ? alphaPixels.data() : nullptr, pw);
                SpreadPixels(pixels.data(), image.ScanLine(y), pw, pixelSize, pass);
                if (alpha) SpreadPixels(alphaPixels.data(), alphaRow, pw, 1, pass);
            }
            if (ProgressUpdate) ProgressUpdate(int(rowsDone * 100 / totalRows));
            ++rowsDone;
            std::swap(cur, prev);
        }
    }

    // Data after the last row is dropped, but only so much of it: a little
    // slack is harmless, gigabytes of padded zeros would freeze the caller.
    inflater.SetCheckIO(false);
    int64_t extra = 0;
    for (uint8_t scratch[4096];;) {
        const int got = inflater.Read(scratch, sizeof scratch);
        if (got <= 0) break;
        Adler32Update(adler, scratch, size_t(got));
        extra += got;
        if (extra > MaxExtraImageData) throw EImageError(SInvalidPNGData);
    }
    uint8_t trailer[4];
    if (inflater.ReadTrailer(trailer, 4) < 4) throw EInOutError(SReadLessThanExpected);
    if (BE32(trailer) != Adler32Value(adler)) throw EImageError(SAdler32Error);
    idat.FinishChunk();
    imageDone = true;
}

TPNGLoader::TPNGLoader() = default;
TPNGLoader::~TPNGLoader() = default;

bool TPNGLoader::CanLoad(const std::string& ext) const { return ext == "PNG" || ext == "MNG"; }

bool TPNGLoader::CanSave(const std::string& ext) const { return CanLoad(ext); }

std::string TPNGLoader::GetLoadFilter() const {
    return "Portable Network Graphics (*.png)|*.png|Multiple-image Network Graphics (*.mng)|*.mng";
}

void TPNGLoader::SetSuggestedPalette(const uint8_t* bgr) {
    if (!bgr) {
        m_suggestedPalette.reset();
        return;
    }
    if (!m_suggestedPalette) m_suggestedPalette = std::make_unique<std::array<uint8_t, 768>>();
    std::memcpy(m_suggestedPalette->data(), bgr, 768);
}

void TPNGLoader::LoadFromStream(TBaseStream& stream, const std::string&, TLinearBitmap& bitmap) {
    m_suggestedPalette.reset();
    m_alphaTable.reset();
    m_alphaBitmap.reset();
    m_transparentColor = -1;
    m_gamma = 0;
    bitmap.Dispose();

    TBufferedStream input(stream, TBufferedStream::DefaultBufferSize, 0);
    // Short reads are judged here: an error inside the image, the end of the
    // file after it.
    input.SetCheckIO(false);
    uint8_t signature[8];
    const bool complete = ReadSome(input, signature, 8) == 8;
    const bool png = complete && std::equal(PNGSignature.begin(), PNGSignature.end(), signature);
    const bool mng = complete && std::equal(MNGSignature.begin(), MNGSignature.end(), signature);
    if (!png && !mng) throw EImageError(SInvalidPNGHeader);

    TReader reader(*this, input, mng);
    reader.Run();
    bitmap.TakeOver(reader.image);
    m_alphaBitmap = std::move(reader.alpha);
}

} // namespace image
