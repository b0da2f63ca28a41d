// The JPEG loader over libjpeg's own API.
//
// libjpeg reports a fatal error by calling error_exit, which must not return;
// its default ends the process. Ours formats libjpeg's message and jumps back
// with longjmp to the setjmp of the phase that was running. An exception
// must not be thrown instead: it would have to unwind through libjpeg's C
// frames. So every call into libjpeg happens inside one of a few C-style
// phase functions below (ReadHeader, DecodePixels, EncodeImage) that hold no
// object with a destructor and read no local after the jump; each answers
// false with the message kept in the error manager, and the C++ caller turns
// that into an EJPEG once it is out of libjpeg. The libjpeg objects live in
// RAII holders that destroy them on every path.
//
// libjpeg's warnings about corrupt data ("Corrupt JPEG data: bad Huffman
// code", ...) are fatal here too, since the decoder would otherwise fill what
// it cannot read with grey and report success. Running out of input is fatal
// ("Premature end of JPEG file") when pixel data is missing: in the header,
// in a file of several scans (each refines the whole image, so a missing one
// cannot be told from a missing end marker), when the Huffman decoder needs
// bits that are not there, or when arithmetic-coded data ends without an end
// marker. A single-scan Huffman file whose pixel data is all there but which
// lacks only its end marker loads, as do files with harmless warnings
// (extraneous bytes between markers, an unknown JFIF revision).
//
// The arithmetic encoder drops the zero bytes its data would end with, and
// the decoder reads zeros at the marker that follows, so arithmetic data that
// stops before the last row is normal: only a restart marker where no restart
// interval is set (nothing a valid file holds) marks it as cut short.
//
// Memory: the bitmap is bounded by its own limit (or by MaxMemory), and what
// libjpeg allocates for a file of several scans (coefficients of the whole
// image) by libjpeg's max_memory_to_use; beyond either, EJPEGTooLarge.
#include "image/TJPEGLoader.h"

#include "image/LinearBitmapTables.h"
#include "image/TBaseStream.h"
#include "image/THostFilterStream.h"
#include "image/TLinearBitmap.h"
#include "platform/Text.h"

#include <QBuffer>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// jpeglib.h first: jerror.h's message list depends on its configuration.
#include <jpeglib.h>
#include <jerror.h>

namespace image {

namespace {

constexpr const char* kFilterName = "Joint Picture Expert Group";

// What the phases share with libjpeg's callbacks. `pub` comes first:
// libjpeg hands the callbacks cinfo->err, which is this struct.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    // Set while the pixels of a single-scan file are being decoded: running
    // out of input there is not fatal by itself.
    bool singleScanPixels;
    // The input ran out (libjpeg then supplies an end marker of its own).
    bool inputEnded;
    // libjpeg stopped at its memory limit.
    bool outOfMemory;
    char message[JMSG_LENGTH_MAX];
};

ErrorManager& Manager(j_common_ptr cinfo) { return *reinterpret_cast<ErrorManager*>(cinfo->err); }

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    ErrorManager& err = Manager(cinfo);
    err.outOfMemory = err.pub.msg_code == JERR_OUT_OF_MEMORY || err.pub.msg_code == JERR_NO_BACKING_STORE;
    (*cinfo->err->format_message)(cinfo, err.message);
    std::longjmp(err.jump, 1);
}

// Warnings (level -1) about damaged data end the decoding; trace messages
// (levels 0 and up) and harmless warnings are dropped, never printed.
void EmitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    ErrorManager& err = Manager(cinfo);
    ++err.pub.num_warnings;
    switch (err.pub.msg_code) {
    case JWRN_JPEG_EOF:
        err.inputEnded = true;
        // The arithmetic decoder reads zeros where its data ends, so for it a
        // missing end marker cannot be told from missing data.
        if (err.singleScanPixels && !(cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->arith_code))
            return;
        ErrorExit(cinfo);
    case JWRN_HIT_MARKER:
        // Bits missing after the input ended: the file was cut short.
        if (err.inputEnded) err.pub.msg_code = JWRN_JPEG_EOF;
        ErrorExit(cinfo);
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
        ErrorExit(cinfo);
    default:
        return;
    }
}

void OutputMessage(j_common_ptr) {}

bool RestartWithoutInterval(const jpeg_decompress_struct& cinfo);
void PrematureEnd(ErrorManager& err);

// Called for every row of coefficients a file of several scans takes in
// before the first row comes out, and for every call that reads rows.
void ProgressMonitor(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    const auto& info = *reinterpret_cast<j_decompress_ptr>(cinfo);
    ErrorManager& err = Manager(cinfo);
    if (RestartWithoutInterval(info)) PrematureEnd(err);
    if (info.input_scan_number <= TJPEGLoader::MaxScans) return;
    std::snprintf(err.message, sizeof err.message, "Corrupt JPEG data: more than %d scans",
                  TJPEGLoader::MaxScans);
    std::longjmp(err.jump, 1);
}

void InitErrorManager(ErrorManager& err) {
    jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = EmitMessage;
    err.pub.output_message = OutputMessage;
    err.singleScanPixels = false;
    err.inputEnded = false;
    err.outOfMemory = false;
    err.message[0] = '\0';
}

// ---- Decoding ----

struct DecodeContext {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
};

// Owns a decompressor; destroying it is safe after any failure, including
// one inside jpeg_create_decompress (the struct starts zeroed).
class Decoder {
public:
    Decoder() {
        std::memset(&m_context, 0, sizeof m_context);
        InitErrorManager(m_context.err);
        m_context.cinfo.err = &m_context.err.pub;
        m_context.progress.progress_monitor = ProgressMonitor;
    }
    ~Decoder() { jpeg_destroy_decompress(&m_context.cinfo); }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    DecodeContext& Context() { return m_context; }
    const jpeg_decompress_struct& Info() const { return m_context.cinfo; }
    const char* Message() const { return m_context.err.message; }

private:
    DecodeContext m_context;
};

// Reads the header and settles the output: best-quality inverse DCT, 24-bit
// B, G, R, 8-bit grey, or C, M, Y, K for a CMYK or YCCK file (libjpeg makes
// no RGB of those), and the coarsest scale (full, 1/2, 1/4, 1/8) whose every
// halving still leaves at least minWidth x minHeight.
bool ReadHeader(DecodeContext* ctx, const unsigned char* data, unsigned long size, int minWidth,
                int minHeight) {
    if (setjmp(ctx->err.jump)) return false;
    jpeg_create_decompress(&ctx->cinfo);
    ctx->cinfo.progress = &ctx->progress;
    // Coefficient buffers of a progressive file are as large as the image;
    // a bogus header must not make libjpeg allocate without bound.
    ctx->cinfo.mem->max_memory_to_use = static_cast<long>(TLinearBitmap::MaxBitmapBytes);
    jpeg_mem_src(&ctx->cinfo, data, size);
    jpeg_read_header(&ctx->cinfo, TRUE);
    switch (ctx->cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE: ctx->cinfo.out_color_space = JCS_GRAYSCALE; break;
    case JCS_CMYK:
    case JCS_YCCK: ctx->cinfo.out_color_space = JCS_CMYK; break;
    default: ctx->cinfo.out_color_space = JCS_EXT_BGR; break;
    }
    ctx->cinfo.dct_method = JDCT_ISLOW;
    ctx->cinfo.do_fancy_upsampling = TRUE;
    ctx->cinfo.scale_num = 1;
    ctx->cinfo.scale_denom = 1;
    jpeg_calc_output_dimensions(&ctx->cinfo);
    // Signed comparisons: a minimum of 0 or less scales down to one eighth.
    while (ctx->cinfo.scale_denom < 8 && int64_t(ctx->cinfo.output_width / 2) >= minWidth &&
           int64_t(ctx->cinfo.output_height / 2) >= minHeight) {
        ctx->cinfo.scale_denom *= 2;
        jpeg_calc_output_dimensions(&ctx->cinfo);
    }
    return true;
}

// The arithmetic decoder, unlike the Huffman one, never warns at a marker in
// its data: it goes on with zero bits. A restart marker met while rows of
// the scan are still to be read, where no restart interval is set, is no
// restart the decoder takes: the data ends there.
bool RestartWithoutInterval(const jpeg_decompress_struct& cinfo) {
    const int marker = cinfo.unread_marker;
    return cinfo.arith_code && marker >= JPEG_RST0 && marker <= JPEG_RST0 + 7 && cinfo.restart_interval == 0 &&
           cinfo.input_iMCU_row < cinfo.total_iMCU_rows;
}

void PrematureEnd(ErrorManager& err) {
    std::snprintf(err.message, sizeof err.message, "Premature end of JPEG file");
    std::longjmp(err.jump, 1);
}

// C, M, Y, K to B, G, R as djpeg (and ImageMagick) show such a file: each
// colour is its ink value scaled by K, rounded, whether the file carries
// Adobe's marker or not. (The values are stored inverted, 255 for no ink.)
void CMYKToBGR(const unsigned char* cmyk, unsigned char* bgr, JDIMENSION width) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const unsigned k = cmyk[3];
        bgr[0] = static_cast<unsigned char>((cmyk[2] * k + 127) / 255);
        bgr[1] = static_cast<unsigned char>((cmyk[1] * k + 127) / 255);
        bgr[2] = static_cast<unsigned char>((cmyk[0] * k + 127) / 255);
    }
}

// Decodes every row into `map` (rows `stride` bytes apart, laid out for the
// dimensions and components ReadHeader settled on, B, G, R for CMYK). A
// CMYK row goes through `cmykRow` (output_width * 4 bytes), one at a time.
bool DecodePixels(DecodeContext* ctx, unsigned char* map, size_t stride, unsigned char* cmykRow) {
    if (setjmp(ctx->err.jump)) return false;
    const JDIMENSION width = ctx->cinfo.output_width;
    const JDIMENSION height = ctx->cinfo.output_height;
    ctx->err.singleScanPixels = !jpeg_has_multiple_scans(&ctx->cinfo);
    jpeg_start_decompress(&ctx->cinfo);
    if (ctx->cinfo.output_width != width || ctx->cinfo.output_height != height) {
        std::snprintf(ctx->err.message, sizeof ctx->err.message, "%s", SErrorInBitmapData);
        return false;
    }
    while (ctx->cinfo.output_scanline < ctx->cinfo.output_height) {
        JSAMPROW rows[16];
        const JDIMENSION first = ctx->cinfo.output_scanline;
        const JDIMENSION count = cmykRow ? 1 : std::min<JDIMENSION>(16, ctx->cinfo.output_height - first);
        for (JDIMENSION i = 0; i < count; ++i) rows[i] = cmykRow ? cmykRow : map + (first + i) * stride;
        const JDIMENSION read = jpeg_read_scanlines(&ctx->cinfo, rows, count);
        if (cmykRow && read == 1) CMYKToBGR(cmykRow, map + first * stride, width);
        if (read == 0) {
            // The memory source never suspends, so no progress means a fault.
            std::snprintf(ctx->err.message, sizeof ctx->err.message, "%s", SErrorInBitmapData);
            return false;
        }
        if (RestartWithoutInterval(ctx->cinfo)) PrematureEnd(ctx->err);
    }
    jpeg_finish_decompress(&ctx->cinfo);
    return true;
}

// The rest of the stream, whatever its CheckIO says.
std::vector<unsigned char> ReadAll(TBaseStream& stream) {
    class CheckIOOff {
    public:
        explicit CheckIOOff(TBaseStream& s) : m_stream(s), m_was(s.CheckIO()) { s.SetCheckIO(false); }
        ~CheckIOOff() { m_stream.SetCheckIO(m_was); }
        CheckIOOff(const CheckIOOff&) = delete;
        CheckIOOff& operator=(const CheckIOOff&) = delete;

    private:
        TBaseStream& m_stream;
        bool m_was;
    } guard(stream);

    std::vector<unsigned char> data;
    constexpr int kPiece = 1 << 16;
    const int64_t available = stream.Available();
    if (available > 0 && available <= TLinearBitmap::MaxBitmapBytes)
        data.reserve(static_cast<size_t>(available));
    for (;;) {
        const size_t old = data.size();
        data.resize(old + kPiece);
        const int got = stream.Read(data.data() + old, kPiece);
        data.resize(old + static_cast<size_t>(std::max(got, 0)));
        if (got <= 0) break;
    }
    return data;
}

// ---- Encoding ----

// A growing malloc'd buffer as libjpeg's destination. (libjpeg's own memory
// destination loses track of its buffer when encoding fails half-way.)
struct MemoryDestination {
    jpeg_destination_mgr pub;
    unsigned char* buffer;
    size_t capacity;
    size_t size;
};

MemoryDestination& Destination(j_compress_ptr cinfo) { return *reinterpret_cast<MemoryDestination*>(cinfo->dest); }

void InitDestination(j_compress_ptr cinfo) {
    MemoryDestination& dest = Destination(cinfo);
    if (!dest.buffer) {
        dest.capacity = 1 << 16;
        dest.buffer = static_cast<unsigned char*>(std::malloc(dest.capacity));
        if (!dest.buffer) ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    }
    dest.size = 0;
    dest.pub.next_output_byte = dest.buffer;
    dest.pub.free_in_buffer = dest.capacity;
}

// Called when the whole buffer is full.
boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    MemoryDestination& dest = Destination(cinfo);
    const size_t grown = dest.capacity * 2;
    auto* buffer = static_cast<unsigned char*>(std::realloc(dest.buffer, grown));
    if (!buffer) ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    dest.buffer = buffer;
    dest.pub.next_output_byte = buffer + dest.capacity;
    dest.pub.free_in_buffer = grown - dest.capacity;
    dest.capacity = grown;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    MemoryDestination& dest = Destination(cinfo);
    dest.size = dest.capacity - dest.pub.free_in_buffer;
}

struct EncodeContext {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    MemoryDestination dest;
};

class Encoder {
public:
    Encoder() {
        std::memset(&m_context, 0, sizeof m_context);
        InitErrorManager(m_context.err);
        m_context.cinfo.err = &m_context.err.pub;
        m_context.dest.pub.init_destination = InitDestination;
        m_context.dest.pub.empty_output_buffer = EmptyOutputBuffer;
        m_context.dest.pub.term_destination = TermDestination;
    }
    ~Encoder() {
        jpeg_destroy_compress(&m_context.cinfo);
        std::free(m_context.dest.buffer);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    EncodeContext& Context() { return m_context; }
    const unsigned char* Data() const { return m_context.dest.buffer; }
    size_t Size() const { return m_context.dest.size; }
    const char* Message() const { return m_context.err.message; }

private:
    EncodeContext m_context;
};

// The pixels to encode, handed to libjpeg row by row as B, G, R.
struct EncodeSource {
    const uint8_t* map;
    size_t stride;
    int width;
    int height;
    TPixelFormat format;
    const uint8_t* palette; // B, G, R entries for pf8bit
    uint8_t* row;           // width * 3 bytes of scratch for the other formats
    bool gray;
};

const uint8_t* BGRRow(const EncodeSource& s, int y) {
    const uint8_t* src = s.map + size_t(y) * s.stride;
    uint8_t* out = s.row;
    switch (s.format) {
    case TPixelFormat::pf24bit:
        return src;
    case TPixelFormat::pf32bit:
        for (int x = 0; x < s.width; ++x, src += 4, out += 3) {
            out[0] = src[0];
            out[1] = src[1];
            out[2] = src[2];
        }
        break;
    case TPixelFormat::pf8bit:
        for (int x = 0; x < s.width; ++x, out += 3) std::memcpy(out, s.palette + 3 * src[x], 3);
        break;
    default: // pf16bit: the high byte of each little-endian word
        for (int x = 0; x < s.width; ++x, out += 3) out[0] = out[1] = out[2] = src[2 * x + 1];
        break;
    }
    return s.row;
}

// One baseline encoding at `quality` (below 1: libjpeg's default).
bool EncodeImage(EncodeContext* ctx, const EncodeSource* src, int quality) {
    if (setjmp(ctx->err.jump)) return false;
    jpeg_create_compress(&ctx->cinfo);
    ctx->cinfo.dest = &ctx->dest.pub;
    ctx->cinfo.image_width = static_cast<JDIMENSION>(src->width);
    ctx->cinfo.image_height = static_cast<JDIMENSION>(src->height);
    ctx->cinfo.input_components = 3;
    ctx->cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&ctx->cinfo);
    if (src->gray) jpeg_set_colorspace(&ctx->cinfo, JCS_GRAYSCALE);
    if (quality >= 1) jpeg_set_quality(&ctx->cinfo, quality, TRUE);
    jpeg_start_compress(&ctx->cinfo, TRUE);
    while (ctx->cinfo.next_scanline < ctx->cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(BGRRow(*src, static_cast<int>(ctx->cinfo.next_scanline)));
        jpeg_write_scanlines(&ctx->cinfo, &row, 1);
    }
    jpeg_finish_compress(&ctx->cinfo);
    return true;
}

// The bytes of one encoding.
struct Encoded {
    std::vector<unsigned char> bytes;
};

Encoded Encode(const EncodeSource& source, int quality) {
    Encoder encoder;
    if (!EncodeImage(&encoder.Context(), &source, quality)) throw EJPEG(encoder.Message());
    return Encoded{std::vector<unsigned char>(encoder.Data(), encoder.Data() + encoder.Size())};
}

void WriteAll(TBaseStream& stream, const std::vector<unsigned char>& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const int piece = static_cast<int>(std::min<size_t>(bytes.size() - done, size_t(1) << 30));
        const int written = stream.Write(bytes.data() + done, piece);
        if (written <= 0) throw EInOutError("Error writing to stream - no bytes were taken");
        done += static_cast<size_t>(written);
    }
}

} // namespace

bool TJPEGLoader::CanLoad(const std::string& ext) const {
    const std::string upper = text::AsciiUpper(ext);
    return upper == "JPG" || upper == "JPEG" || upper == "JPE";
}

bool TJPEGLoader::CanSave(const std::string& ext) const {
    const std::string upper = text::AsciiUpper(ext);
    return upper == "JPG" || upper == "JPEG";
}

std::string TJPEGLoader::GetLoadFilter() const {
    return std::string(kFilterName) + " (*.jpg,*.jpeg,*.jpe)|*.jpg;*.jpeg;*.jpe";
}

std::string TJPEGLoader::GetSaveFilter() const { return std::string(kFilterName) + " (*.jpg)|*.jpg"; }

void TJPEGLoader::LoadFromStream(TBaseStream& stream, const std::string&, TLinearBitmap& bitmap) {
    // Bytes already in memory (a downloaded photo in a QBuffer) are decoded
    // where they lie: a copy would sit beside the picture while it is made.
    std::vector<unsigned char> copy;
    const unsigned char* data = nullptr;
    size_t size = 0;
    auto* host = dynamic_cast<THostFilterStream*>(&stream);
    auto* buffer = host ? qobject_cast<QBuffer*>(&host->Stream()) : nullptr;
    if (buffer && buffer->isReadable()) {
        const QByteArray& bytes = buffer->data();
        const qint64 at = std::clamp<qint64>(buffer->pos(), 0, bytes.size());
        data = reinterpret_cast<const unsigned char*>(bytes.constData()) + at;
        size = static_cast<size_t>(bytes.size() - at);
        buffer->seek(bytes.size()); // all of it is taken, as by a read
    } else {
        copy = ReadAll(stream);
        data = copy.data();
        size = copy.size();
    }
    Decoder decoder;
    if (!ReadHeader(&decoder.Context(), data, static_cast<unsigned long>(size), m_minWidth, m_minHeight))
        throw EJPEG(decoder.Message());
    const jpeg_decompress_struct& info = decoder.Info();
    m_imageWidth = static_cast<int>(info.image_width);
    m_imageHeight = static_cast<int>(info.image_height);

    // The bitmap (and a CMYK file's row) first, libjpeg's own memory within
    // what is left of the bound.
    const bool gray = info.out_color_space == JCS_GRAYSCALE;
    const bool cmyk = info.out_color_space == JCS_CMYK;
    const int64_t cmykRowBytes = cmyk ? int64_t(info.output_width) * 4 : 0;
    const int64_t bitmapBytes = int64_t(info.output_width) * info.output_height * (gray ? 1 : 3) + cmykRowBytes;
    const int64_t bound = m_maxMemory > 0 ? m_maxMemory : TLinearBitmap::MaxBitmapBytes;
    const auto tooLarge = [&] {
        return EJPEGTooLarge("JPEG image too large: " + std::to_string(info.image_width) + " x " +
                             std::to_string(info.image_height) + " pixels need more than " +
                             std::to_string(bound >> 20) + " MB");
    };
    if (bitmapBytes > bound) throw tooLarge();
    // (libjpeg reads a limit of 0 as none.)
    if (m_maxMemory > 0)
        decoder.Context().cinfo.mem->max_memory_to_use = static_cast<long>(std::max<int64_t>(m_maxMemory - bitmapBytes, 1));

    TLinearBitmap result;
    result.New(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
               gray ? TPixelFormat::pf8bit : TPixelFormat::pf24bit);
    if (gray) std::memcpy(result.Palette(), GrayPalette.data(), GrayPalette.size());
    std::vector<unsigned char> cmykRow(static_cast<size_t>(cmykRowBytes));
    if (!DecodePixels(&decoder.Context(), result.Map(), static_cast<size_t>(result.BytesPerLine()),
                      cmyk ? cmykRow.data() : nullptr)) {
        if (decoder.Context().err.outOfMemory) throw tooLarge();
        throw EJPEG(decoder.Message());
    }
    if (!result.Present()) throw ELinearBitmap(SErrorInBitmapData);
    bitmap.TakeOver(result);
}

void TJPEGLoader::SaveToStream(TBaseStream& stream, const std::string&, const TLinearBitmap& bitmap) {
    if (!bitmap.Present()) throw ELinearBitmap(SErrorInBitmapData);
    std::vector<uint8_t> row(size_t(bitmap.Width()) * 3);
    const EncodeSource source{bitmap.Map(),    size_t(bitmap.BytesPerLine()), bitmap.Width(),
                              bitmap.Height(), bitmap.PixelFormat(),          bitmap.Palette(),
                              row.data(),      bitmap.IsGrayScale()};

    if (m_maxFileSize < 1) {
        WriteAll(stream, Encode(source, m_quality).bytes);
        return;
    }

    // Bisection over 1..Quality for the highest quality whose file fits.
    // (libjpeg treats every quality above 100 as 100.)
    if (m_quality < 1) m_quality = DefaultQuality;
    int q = std::min(m_quality, 100), low = 1, high = q + 1;
    Encoded last;
    for (;;) {
        last = Encode(source, q);
        const size_t size = last.bytes.size();
        if (size <= static_cast<size_t>(m_maxFileSize)) {
            if (size == static_cast<size_t>(m_maxFileSize) || q >= 100 || high == q + 1) break;
            low = q;
        } else {
            high = q;
            if (high < 2) break;
        }
        q = (low + high) / 2;
    }
    WriteAll(stream, last.bytes);
}

} // namespace image
