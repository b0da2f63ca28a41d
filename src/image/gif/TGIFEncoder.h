#pragma once
// Base of the two encoders of a frame's pixels into a GIF LZW code stream
// (TLZWEncoder, TRLEEncoder). The base writes the minimum code size, packs
// codes least significant bit first into data sub-blocks (TGIFWriter), walks
// the pixels in file order (the four passes of an interlaced frame) and ends
// the stream with the end code and the zero-length terminator. Descendants
// decide which codes to send and keep the code width in step with what a
// decoder's table does.

#include "image/gif/TGIFWriter.h"

#include <cstdint>
#include <memory>

class QIODevice;

namespace image {

class TGIFEncoder {
public:
    TGIFEncoder() = default;
    TGIFEncoder(const TGIFEncoder&) = delete;
    TGIFEncoder& operator=(const TGIFEncoder&) = delete;
    virtual ~TGIFEncoder();

    // Writes `width` * `height` pixel indices (rows from the top; written in
    // pass order when `interlace`) as the image data of a frame: the minimum
    // code size (`bitsPerPixel`, at least 2), the codes in sub-blocks and
    // the terminator. No data or a side below 1 writes an empty code stream.
    // A pixel at or above `maxColor` raises GIFException "Color not in color
    // table" before any of this is written (what the caller wrote before
    // stays). Device failures raise EInOutError "Stream write error".
    void Encode(QIODevice& stream, int bitsPerPixel, int maxColor, const uint8_t* data, bool interlace, int width,
                int height);

protected:
    // Sends one code of BitsPerCode bits; the end code also sends the bits
    // still held, padded with zeros to a whole byte.
    virtual void Output(int value);
    // Sends a clear code and starts the code table afresh.
    virtual void Clear() = 0;
    // Sends the codes of every pixel (TakePixel until it gives -1).
    virtual void Compress() = 0;

    // The next stretch of pixels that lie one after the other in file order
    // (the whole frame, or one row of an interlaced frame): false after the
    // last one. Every pixel has been checked against MaxColor by Encode.
    bool NextSpan(const uint8_t*& pixels, int64_t& count);

    // The base's Output without the virtual call, for the encoders' loops.
    void PutCode(int value) {
        m_outputBucket = (m_outputBucket & ((1u << m_outputBits) - 1)) | (uint32_t(value) << m_outputBits);
        m_outputBits += m_bitsPerCode;
        while (m_outputBits >= 8) {
            m_writer->Write(static_cast<uint8_t>(m_outputBucket));
            m_outputBucket >>= 8;
            m_outputBits -= 8;
        }
        if (value == m_eofCode && m_outputBits > 0) {
            m_writer->Write(static_cast<uint8_t>(m_outputBucket));
            m_outputBits = 0;
        }
    }

    int m_maxColor = 0;
    int m_bitsPerPixel = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_interlace = false;
    const uint8_t* m_data = nullptr;
    std::unique_ptr<TGIFWriter> m_writer;
    uint32_t m_outputBucket = 0;
    int m_outputBits = 0;
    bool m_clearFlag = false;
    int m_bitsPerCode = 0;
    int m_initialBitsPerCode = 0;
    int m_maxCode = 0;
    int m_clearCode = 0;
    int m_eofCode = 0;
    int m_baseCode = 0;

private:
    // Where NextSpan goes on: the row and pass of an interlaced frame; -1
    // when the walk is over.
    int m_row = 0;
    int m_pass = 0;
};

} // namespace image
