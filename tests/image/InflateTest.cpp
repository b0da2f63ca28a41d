// The decompressor: it inflates what zlib writes, in any pieces, stops at
// the end of the compressed data and leaves what follows it to the caller.
#include "DeflateTestHelpers.h"

#include "image/Adler32.h"

using namespace image;
using namespace imagetest;

namespace {

std::vector<std::pair<const char*, std::string>> Inputs() {
    return {
        {"empty", ""},
        {"one byte", "\x7f"},
        {"text", Text(100000)},
        {"photo", Photo(200, 150)},
        {"random", RandomBytes(70000)},
        {"runs", std::string(70000, 'a') + std::string(3, 'b') + std::string(40000, 'a')},
    };
}

// A read-only stream over data cut into chunks, like the image data of a
// PNG spread over chunks: Available reports only the rest of the current
// chunk, and reading past the last byte is an error of the test.
class TChunkedStream : public TBaseStream {
public:
    TChunkedStream(std::string data, size_t chunk) : m_data(std::move(data)), m_chunk(chunk) { m_canRead = true; }
    int Write(const void*, int) override { return 0; }
    int Read(void* buf, int count) override {
        if (count > 0 && m_pos + size_t(count) > m_data.size()) throw std::logic_error("read past the data");
        std::memcpy(buf, m_data.data() + m_pos, size_t(std::max(count, 0)));
        m_pos += size_t(std::max(count, 0));
        return std::max(count, 0);
    }
    int64_t Available() const override {
        return int64_t(std::min(m_chunk - m_pos % m_chunk, m_data.size() - m_pos));
    }

private:
    std::string m_data;
    size_t m_chunk;
    size_t m_pos = 0;
};

} // namespace

TEST(Inflate, ZlibOutputOfEveryLevelAndStrategy) {
    struct Setting {
        int level, strategy, windowBits, memLevel;
    };
    std::vector<Setting> settings;
    for (int level = 0; level <= 9; ++level) settings.push_back({level, Z_DEFAULT_STRATEGY, 15, 8});
    for (int strategy : {Z_FILTERED, Z_FIXED, Z_RLE, Z_HUFFMAN_ONLY}) settings.push_back({6, strategy, 15, 8});
    settings.push_back({9, Z_DEFAULT_STRATEGY, 9, 1}); // small window, many small blocks
    settings.push_back({9, Z_DEFAULT_STRATEGY, 15, 9});
    for (const auto& [name, data] : Inputs())
        for (const Setting& s : settings) {
            SCOPED_TRACE(std::string(name) + " level " + std::to_string(s.level) + " strategy " +
                         std::to_string(s.strategy) + " window " + std::to_string(s.windowBits));
            const std::string z = ZlibDeflate(data, s.level, s.strategy, s.windowBits, s.memLevel);
            ASSERT_FALSE(z.empty());
            EXPECT_TRUE(Inflate(z) == data);
        }
}

TEST(Inflate, AnyReadSizeAndAnyInnerPieceGiveTheSameBytes) {
    const std::string data = Text(60000) + Photo(100, 80) + std::string(2000, '\0');
    for (auto method : {TDeflateMethod::Dynamic, TDeflateMethod::Fixed, TDeflateMethod::Stored}) {
        const std::string z = Deflate(data, method);
        for (int readSize : {1, 3, 1000, 65536, 300000}) EXPECT_TRUE(Inflate(z, readSize) == data) << readSize;
        for (int piece : {1, 5, 4099}) {
            TPieceStream in(z, piece);
            TDeflateStream d(in, TDeflateMode::Decompress);
            std::string out(data.size(), '\0');
            EXPECT_EQ(d.Read(out.data(), int(out.size())), int(out.size()));
            EXPECT_TRUE(out == data) << piece;
        }
    }
}

TEST(Inflate, EndOfDataGivesAShortReadOrWithCheckIOAnError) {
    const std::string z = Deflate("hello");
    char buf[16];
    {
        TPieceStream in(z);
        TDeflateStream d(in);
        EXPECT_FALSE(d.IsCompressing());
        EXPECT_FALSE(d.Eof());
        EXPECT_EQ(ErrorText<EInOutError>([&] { d.Read(buf, 16); }), "Read less than expected");
        EXPECT_TRUE(d.IsFinished());
        EXPECT_TRUE(d.Eof());
    }
    {
        TPieceStream in(z);
        TDeflateStream d(in);
        d.SetCheckIO(false);
        EXPECT_EQ(d.Read(buf, 16), 5);
        EXPECT_EQ(std::string(buf, 5), "hello");
        EXPECT_EQ(d.Read(buf, 16), 0);
        EXPECT_EQ(d.Available(), 0);
    }
}

TEST(Inflate, CopiesThroughCopyStreamUntilEof) {
    const std::string data = Text(50000, 4);
    TPieceStream in(Deflate(data));
    TDeflateStream d(in);
    d.SetCheckIO(false); // the last piece is short
    TSinkStream out;
    EXPECT_EQ(CopyStream(d, &out, 1 << 30), int64_t(data.size()));
    EXPECT_TRUE(out.data == data);
}

TEST(Inflate, TrailerAfterTheDataIsHandedOutAndNothingBeyondIsRead) {
    // A zlib stream as PNG stores it: two header bytes, deflate data,
    // the Adler-32 of the data, spread over chunks of 97 bytes.
    const std::string data = Photo(120, 40);
    std::string z = "\x78\xDA" + Deflate(data);
    uint8_t adler[4];
    TAdler32 a;
    Adler32Update(a, data.data(), data.size());
    Adler32Bytes(a, adler);
    z.append(reinterpret_cast<const char*>(adler), 4);

    for (size_t chunk : {size_t(1), size_t(97), size_t(8192), z.size()}) {
        SCOPED_TRACE(chunk);
        TChunkedStream in(z, chunk);
        char header[2];
        in.Read(header, 2);
        TDeflateStream d(in, TDeflateMode::Auto);
        std::string out(data.size(), '\0');
        ASSERT_EQ(d.Read(out.data(), int(out.size())), int(out.size()));
        EXPECT_TRUE(out == data);
        uint8_t trailer[4] = {};
        EXPECT_EQ(d.ReadTrailer(trailer, 4), 4);
        EXPECT_EQ(std::memcmp(trailer, adler, 4), 0);
        EXPECT_EQ(in.Available(), 0);
    }

    // Asked before the data is read up, the rest of the data is skipped.
    TPieceStream in(z.substr(2));
    TDeflateStream d(in);
    char some[10];
    d.Read(some, 10);
    uint8_t trailer[4] = {};
    EXPECT_EQ(d.ReadTrailer(trailer, 4), 4);
    EXPECT_EQ(std::memcmp(trailer, adler, 4), 0);
    EXPECT_EQ(ErrorText<EInOutError>([&] { d.ReadTrailer(trailer, 1); }), "Read less than expected");
}

TEST(Inflate, ModeAndDirectionErrors) {
    TPieceStream readOnly("");
    TSinkStream writeOnly;
    EXPECT_EQ(ErrorText<EAssertionFailed>([&] { TDeflateStream d(readOnly, TDeflateMode::Compress); }),
              "Assertion failed");
    EXPECT_EQ(ErrorText<EAssertionFailed>([&] { TDeflateStream d(writeOnly, TDeflateMode::Decompress); }),
              "Assertion failed");
    TDeflateStream d(readOnly);
    EXPECT_EQ(ErrorText<EInOutError>([&] { d.Write("x", 1); }), "Stream not open for write");
    TDeflateStream w(writeOnly);
    char c;
    w.SetCheckIO(false);
    EXPECT_EQ(w.Read(&c, 1), 0);
}
