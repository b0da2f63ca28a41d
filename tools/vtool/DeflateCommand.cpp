// vtool inflate / vtool deflate [--method 0|1|2]: raw deflate data (no zlib
// header or trailer) from standard input to standard output, through the
// image library's deflate stream. Damaged input prints the error on
// standard error and exits with 1.
#include "Command.h"

#include "image/EImageError.h"
#include "image/TDeflateStream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Standard output as a write-only stream.
class TStdoutStream : public image::TBaseStream {
public:
    TStdoutStream() { m_canWrite = true; }
    int Write(const void* buf, int count) override {
        if (count < 1) return 0;
        const size_t n = std::fwrite(buf, 1, static_cast<size_t>(count), stdout);
        if (n < static_cast<size_t>(count) && m_checkIO) throw image::EInOutError("Error writing to stream - standard output");
        return static_cast<int>(n);
    }
    int Read(void*, int) override { return 0; }
    int64_t Available() const override { return 0; }
};

// Standard input as a read-only stream, a piece at a time: neither command
// holds more of its input than the piece it works on.
class TStdinStream : public image::TBaseStream {
public:
    TStdinStream() : m_buffer(1 << 16) { m_canRead = true; }
    int Write(const void*, int) override { return 0; }
    int Read(void* buf, int count) override {
        int done = 0;
        while (done < count && Fill()) {
            const int n = std::min(count - done, static_cast<int>(m_end - m_at));
            std::memcpy(static_cast<char*>(buf) + done, m_buffer.data() + m_at, static_cast<size_t>(n));
            m_at += static_cast<size_t>(n);
            done += n;
        }
        return done;
    }
    // What the next piece holds: a reader asking for it gets whole pieces.
    int64_t Available() const override { return const_cast<TStdinStream*>(this)->Fill() ? int64_t(m_end - m_at) : 0; }
    bool Failed() const { return std::ferror(stdin) != 0; }

private:
    bool Fill() {
        if (m_at < m_end) return true;
        m_at = 0;
        m_end = std::fread(m_buffer.data(), 1, m_buffer.size(), stdin);
        return m_end > 0;
    }
    std::vector<char> m_buffer;
    size_t m_at = 0, m_end = 0;
};

int Inflate(const vtool::Args&) {
    TStdinStream in;
    try {
        image::TDeflateStream z(in, image::TDeflateMode::Decompress);
        z.SetCheckIO(false);
        std::vector<char> buf(1 << 16);
        int got;
        // A short read may come just before an error; only 0 ends the data.
        while ((got = z.Read(buf.data(), static_cast<int>(buf.size()))) > 0)
            std::fwrite(buf.data(), 1, static_cast<size_t>(got), stdout);
    } catch (const image::EImageError& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "vtool inflate: %s\n", in.Failed() ? "cannot read standard input" : e.what());
        return 1;
    }
    if (in.Failed()) {
        std::fprintf(stderr, "vtool inflate: cannot read standard input\n");
        return 1;
    }
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

int Deflate(const vtool::Args& args) {
    const std::string method = vtool::Option(args, "--method", "0");
    if (method != "0" && method != "1" && method != "2") {
        std::fprintf(stderr, "usage: vtool deflate [--method 0|1|2]\n");
        return 2;
    }
    TStdinStream in;
    try {
        TStdoutStream out;
        image::TDeflateStream z(out, image::TDeflateMode::Compress);
        z.SetMethod(static_cast<image::TDeflateMethod>(std::stoi(method)));
        std::vector<char> buf(1 << 16);
        int got;
        in.SetCheckIO(false);
        while ((got = in.Read(buf.data(), static_cast<int>(buf.size()))) > 0) z.Write(buf.data(), got);
        z.Finish();
    } catch (const image::EImageError& e) {
        std::fprintf(stderr, "vtool deflate: %s\n", e.what());
        return 1;
    }
    if (in.Failed()) {
        std::fprintf(stderr, "vtool deflate: cannot read standard input\n");
        return 1;
    }
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

const vtool::Register inflateReg("inflate", "               raw deflate data on standard input, inflated to standard output",
                                 Inflate);
const vtool::Register deflateReg("deflate", "[--method 0|1|2]  standard input compressed to raw deflate data (0 dynamic, 1 fixed, 2 stored)",
                                 Deflate);

} // namespace
