// vtool inflate / vtool deflate [--method 0|1|2]: raw deflate data (no zlib
// header or trailer) from standard input to standard output, through the
// image library's deflate stream. Damaged input prints the error on
// standard error and exits with 1.
#include "Command.h"

#include "image/EImageError.h"
#include "image/TDeflateStream.h"
#include "image/TMemStream.h"

#include <cstdio>
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

// All of standard input in a memory stream, positioned at the start.
bool ReadStdin(image::TMemStream& m) {
    std::vector<char> buf(1 << 16);
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), stdin)) > 0) m.Write(buf.data(), static_cast<int>(n));
    if (std::ferror(stdin)) return false;
    m.SetPosition(0);
    return true;
}

int Inflate(const vtool::Args&) {
    image::TMemStream in;
    if (!ReadStdin(in)) {
        std::fprintf(stderr, "vtool inflate: cannot read standard input\n");
        return 1;
    }
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
        std::fprintf(stderr, "vtool inflate: %s\n", e.what());
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
    image::TMemStream in;
    if (!ReadStdin(in)) {
        std::fprintf(stderr, "vtool deflate: cannot read standard input\n");
        return 1;
    }
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
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

const vtool::Register inflateReg("inflate", "               raw deflate data on standard input, inflated to standard output",
                                 Inflate);
const vtool::Register deflateReg("deflate", "[--method 0|1|2]  standard input compressed to raw deflate data (0 dynamic, 1 fixed, 2 stored)",
                                 Deflate);

} // namespace
