#pragma once
// Deflate (RFC 1951) as a filter stream: writing compresses into the inner
// stream, reading decompresses from it. The zlib wrapper (header and
// Adler-32 trailer, RFC 1950) is the caller's business; see Adler32.h.
//
// Compressing. The encoder is deterministic: the same bytes give the same
// output, however they are split into Write calls. Matches are found
// through an exact two-byte hash whose buckets give the 64 newest earlier
// positions, searched newest first; the longest match wins, the nearest
// among equals; there is no lazy matching. Dynamic blocks are cut when
// 65527 symbol entries are buffered. Call Finish to write the final block:
// it reports write errors, which the destructor (finishing as a best effort)
// swallows.
//
// Decompressing. Reads take what they can from the inner stream's buffered
// bytes and never ask it for more than it reports available unless a bit is
// really needed, so data after the compressed stream (a zlib trailer) is
// read only ahead into this stream's buffer; ReadTrailer hands those bytes
// out. Damaged input raises EImageError "Error in compressed data" (also
// for input that ends before the final block does) after every byte decoded
// before the damage has been delivered; the stream then stays failed.

#include "image/THuffmanBitStream.h"

#include <cstdint>
#include <exception>
#include <memory>

namespace image {

enum class TDeflateMode {
    Auto = -1,       // compress when the inner stream can be written, else decompress
    Decompress = 0,
    Compress = 1,
};

enum class TDeflateMethod {
    Dynamic = 0, // dynamic Huffman codes per block (the default)
    Fixed = 1,   // the fixed codes of RFC 1951
    Stored = 2,  // no compression: stored blocks of up to 65535 bytes
};

class TDeflateStream : public THuffmanBitStream {
public:
    // Compresses when `mode` allows it and `inner` (borrowed) can be written,
    // else decompresses when it allows it and `inner` can be read; neither
    // raises EAssertionFailed. The compressor's tables take about 1.2 MB,
    // the decompressor's about 0.2 MB.
    TDeflateStream(TBaseStream& inner, TDeflateMode mode = TDeflateMode::Auto);
    // Compressing: finishes the stream as Finish does, swallowing errors.
    ~TDeflateStream() override;

    bool IsCompressing() const { return m_canWrite; }

    TDeflateMethod Method() const { return m_method; }
    // Applies to the blocks written from now on.
    void SetMethod(TDeflateMethod method) { m_method = method; }

    // Compresses `count` bytes and returns count. On a decompressing or
    // finished stream raises EInOutError "Stream not open for write".
    int Write(const void* buf, int count) override;
    // Compressing: encodes every byte written so far into a block (not the
    // final one) and passes the whole bytes of it to the inner stream; up to
    // 7 bits wait for the next block. Decompressing: nothing.
    void Flush() override;
    // Compressing: encodes what is left, writes the final block (an empty
    // one when everything was already written), pads the last byte and
    // passes everything to the inner stream, without flushing that. Write
    // errors raise. Afterwards the stream takes no more bytes; a second call
    // does nothing. Decompressing: nothing.
    void Finish();

    // Decompresses up to `count` bytes. At the end of the compressed data it
    // returns fewer, or with CheckIO raises EInOutError "Read less than
    // expected". Damaged data raises as described above.
    int Read(void* buf, int count) override;
    // Decompressing: the decompressed bytes still to come as far as known:
    // those decoded and not yet read, plus, until the final block has ended,
    // the compressed bytes still available.
    int64_t Available() const override;
    // True once the final block has been decoded and all of it read.
    bool IsFinished() const;
    // Reads bytes that follow the compressed data (the zlib trailer): first
    // those already taken from the inner stream, then from the inner stream.
    // Decompressed bytes not yet read are decoded and dropped first. A short
    // read with CheckIO raises EInOutError "Read less than expected".
    int ReadTrailer(void* buf, int count);

private:
    struct TCompressor;
    struct TDecompressor;

    // Compression (TDeflateStreamWrite.cpp).
    void FlushBlocks();
    void Encode();
    void EncodeMatches(bool flushAll);
    void WriteDynamicBlock(bool final);
    void WriteStoredBlocks(bool flushAll);
    void OpenFixedBlock();
    void EmitLiteral(uint8_t byte);
    void EmitMatch(int length, int distance);
    void SlideWindow();

    // Decompression.
    void Decode();
    void ReadBlockHeader();
    void ReadDynamicCodes();
    void CopyStored();
    int ReadStoredDirect(uint8_t* dst, int count);
    void SaveHistory(const uint8_t* src, int n);
    void DecodeHuffman(uint8_t* stop);
    [[noreturn]] void Damaged() const;

    TDeflateMethod m_method = TDeflateMethod::Dynamic;
    bool m_finished = false; // compressing: Finish ran
    std::unique_ptr<TCompressor> m_comp;
    std::unique_ptr<TDecompressor> m_dec;
};

} // namespace image
