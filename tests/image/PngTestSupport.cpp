#include "PngTestSupport.h"

#include "image/LinearBitmapTables.h"
#include "image/TMemStream.h"
#include "image/TPNGLoader.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <png.h>
#include <random>
#include <zlib.h>

namespace imagetest {

using namespace image;

namespace {

struct ReadState {
    const std::string* file;
    size_t pos;
    char message[256];
};

void ReadData(png_structp png, png_bytep out, png_size_t count) {
    auto* s = static_cast<ReadState*>(png_get_io_ptr(png));
    if (s->pos + count > s->file->size()) png_error(png, "Read past the end");
    std::memcpy(out, s->file->data() + s->pos, count);
    s->pos += count;
}

void OnError(png_structp png, png_const_charp message) {
    auto* s = static_cast<ReadState*>(png_get_error_ptr(png));
    std::snprintf(s->message, sizeof s->message, "%s", message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Every libpng call of a decoding, with no C++ object alive across the jump.
bool Decode(ReadState& state, DecodedPng& out, std::vector<uint8_t>& pixels, int& channels) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &state, ReadData);
    png_read_info(png, info);
    out.width = int(png_get_image_width(png, info));
    out.height = int(png_get_image_height(png, info));
    out.colorType = png_get_color_type(png, info);
    out.bitDepth = png_get_bit_depth(png, info);
    png_bytep trans = nullptr;
    int numTrans = 0;
    png_color_16p transColor = nullptr;
    if (png_get_tRNS(png, info, &trans, &numTrans, &transColor)) {
        if (out.colorType == PNG_COLOR_TYPE_PALETTE)
            out.paletteAlpha.assign(trans, trans + numTrans);
        else if (out.colorType == PNG_COLOR_TYPE_GRAY)
            out.trnsGray = transColor->gray;
        else if (out.colorType == PNG_COLOR_TYPE_RGB)
            out.trnsRed = transColor->red, out.trnsGreen = transColor->green, out.trnsBlue = transColor->blue;
    }
    double gamma = 0;
    if (png_get_gAMA(png, info, &gamma)) out.gamma = gamma;
    png_set_strip_16(png);
    png_set_palette_to_rgb(png);
    png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    channels = png_get_channels(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    pixels.resize(rowBytes * size_t(out.height));
    std::vector<png_bytep> rows(size_t(out.height));
    for (int y = 0; y < out.height; ++y) rows[size_t(y)] = pixels.data() + rowBytes * size_t(y);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace

DecodedPng DecodeWithLibpng(const std::string& file) {
    DecodedPng out;
    ReadState state{&file, 0, {}};
    std::vector<uint8_t> pixels;
    int channels = 0;
    if (!Decode(state, out, pixels, channels)) {
        out.error = state.message;
        return out;
    }
    const bool hasAlpha = (out.colorType & PNG_COLOR_MASK_ALPHA) != 0;
    for (size_t i = 0; i + size_t(channels) <= pixels.size(); i += size_t(channels)) {
        out.rgb.insert(out.rgb.end(), pixels.begin() + long(i), pixels.begin() + long(i) + 3);
        if (hasAlpha) out.alpha.push_back(pixels[i + 3]);
    }
    return out;
}

std::vector<uint8_t> ToRGB(const TLinearBitmap& b) {
    std::vector<uint8_t> out;
    out.reserve(size_t(b.Width()) * size_t(b.Height()) * 3);
    for (int y = 0; y < b.Height(); ++y) {
        const uint8_t* row = b.ScanLine(y);
        for (int x = 0; x < b.Width(); ++x) {
            switch (b.PixelFormat()) {
            case TPixelFormat::pf8bit: {
                const uint8_t* bgr = b.Palette() + 3 * row[x];
                out.insert(out.end(), {bgr[2], bgr[1], bgr[0]});
                break;
            }
            case TPixelFormat::pf16bit: out.insert(out.end(), 3, row[2 * x + 1]); break;
            default: out.insert(out.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]}); break;
            }
        }
    }
    return out;
}

TLinearBitmap LoadPng(TPNGLoader& loader, const std::string& file, const std::string& ext) {
    TMemStream stream;
    stream.Write(file.data(), int(file.size()));
    stream.SetPosition(0);
    TLinearBitmap bitmap;
    loader.LoadFromStream(stream, ext, bitmap);
    return bitmap;
}

std::string SavePng(TPNGLoader& loader, const TLinearBitmap& bitmap, const std::string& ext) {
    TMemStream stream;
    loader.SaveToStream(stream, ext, bitmap);
    std::string bytes(size_t(stream.GetSize()), '\0');
    stream.SetPosition(0);
    stream.Read(bytes.data(), int(bytes.size()));
    return bytes;
}

std::string BE32(uint32_t v) {
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return std::string(b, 4);
}

std::string Chunk(const std::string& type, const std::string& data) {
    const std::string body = type + data;
    return BE32(uint32_t(data.size())) + body +
           BE32(uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
}

std::string Zlib(const std::string& raw, int level) {
    uLongf size = compressBound(uLong(raw.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()),
              level);
    out.resize(size);
    return out;
}

std::string Ihdr(uint32_t width, uint32_t height, int depth, int colorType, int compression, int filter, int interlace) {
    return Chunk("IHDR", BE32(width) + BE32(height) +
                             std::string{char(depth), char(colorType), char(compression), char(filter), char(interlace)});
}

std::vector<ChunkInfo> Chunks(const std::string& file) {
    std::vector<ChunkInfo> out;
    for (size_t pos = 8; pos + 12 <= file.size();) {
        const auto* p = reinterpret_cast<const uint8_t*>(file.data() + pos);
        const size_t length = size_t(p[0]) << 24 | size_t(p[1]) << 16 | size_t(p[2]) << 8 | p[3];
        out.push_back({file.substr(pos + 4, 4), file.substr(pos + 8, length)});
        pos += 12 + length;
    }
    return out;
}

bool Pngcheck(const std::string& path, std::string& output) {
    output.clear();
    FILE* pipe = popen(("pngcheck -v '" + path + "' 2>&1").c_str(), "r");
    if (!pipe) return false;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) output.append(buf, n);
    return pclose(pipe) == 0;
}

TLinearBitmap MakePicture(int width, int height, TPixelFormat format, bool grayPalette) {
    TLinearBitmap b;
    b.New(width, height, format);
    std::mt19937 random(uint32_t(width * 131 + height));
    // A ramp across, another down, a third diagonal, all with some noise.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int noise = int(random() % 9) - 4;
            const int across = std::clamp(x * 255 / std::max(1, width - 1) + noise, 0, 255);
            uint8_t* p = b.ScanLine(y) + x * b.PixelSize();
            if (format == TPixelFormat::pf8bit)
                p[0] = uint8_t(grayPalette ? across : (x / 3 + y / 2 + int(random() % 3)) % 200);
            else if (format == TPixelFormat::pf16bit)
                p[0] = uint8_t(random()), p[1] = uint8_t(across);
            else
                p[0] = uint8_t(across), p[1] = uint8_t(std::clamp(y * 255 / std::max(1, height - 1) + noise, 0, 255)),
                p[2] = uint8_t((x + y) * 3 + noise);
        }
    if (grayPalette) std::memcpy(b.Palette(), GrayPalette.data(), 768);
    else if (format == TPixelFormat::pf8bit)
        for (int i = 0; i < 256; ++i)
            b.Palette()[3 * i] = uint8_t(i * 7), b.Palette()[3 * i + 1] = uint8_t(255 - i), b.Palette()[3 * i + 2] = uint8_t(i * 3 + 40);
    return b;
}

} // namespace imagetest
