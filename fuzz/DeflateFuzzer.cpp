// libFuzzer target: our deflater on any bytes. What it writes must inflate
// (with zlib and with our inflater) to exactly the bytes given, and must not
// depend on how those bytes were split into writes, as the stream promises.
#include "FuzzSupport.h"
#include "ZlibOracle.h"

#include "image/EImageError.h"
#include "image/TDeflateStream.h"
#include "image/TMemStream.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Contents(image::TMemStream& stream) {
    std::string out(static_cast<size_t>(stream.GetSize()), '\0');
    stream.SetPosition(0);
    if (!out.empty()) stream.Read(out.data(), static_cast<int>(out.size()));
    return out;
}

// Compresses `data` in writes of the sizes in `pieces` (repeated as needed).
std::string Deflate(const std::string& data, image::TDeflateMethod method, const std::vector<size_t>& pieces) {
    image::TMemStream out;
    {
        image::TDeflateStream z(out, image::TDeflateMode::Compress);
        z.SetMethod(method);
        size_t at = 0;
        for (size_t i = 0; at < data.size(); ++i) {
            const size_t piece = std::min(pieces[i % pieces.size()], data.size() - at);
            z.Write(data.data() + at, static_cast<int>(piece));
            at += piece;
        }
        z.Finish();
    }
    return Contents(out);
}

std::string OurInflate(const std::string& in) {
    image::TMemStream stream;
    stream.Write(in.data(), static_cast<int>(in.size()));
    stream.SetPosition(0);
    image::TDeflateStream z(stream, image::TDeflateMode::Decompress);
    z.SetCheckIO(false); // the end of the data ends the reads
    std::string out;
    char buf[4093];
    for (int got; (got = z.Read(buf, sizeof buf)) > 0;) out.append(buf, static_cast<size_t>(got));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    const std::string input = fuzzsupport::Text(data, size);
    fuzzsupport::TChoices choices(data, size);
    const auto method = static_cast<image::TDeflateMethod>(choices.Next(3));
    const std::string whole = Deflate(input, method, {input.size() + 1});

    std::vector<size_t> pieces;
    for (int i = 0; i < 8; ++i) {
        // Mostly small writes, now and then one that ends near a match's length.
        const uint32_t kind = choices.Next(4);
        pieces.push_back(kind == 0 ? 1 : kind == 1 ? 255 + choices.Next(5) : 1 + choices.Next(70000));
    }
    if (Deflate(input, method, pieces) != whole) std::abort();

    std::string theirs;
    size_t unread = 0;
    if (!fuzzsupport::ZlibInflate(whole.data(), whole.size(), theirs, &unread) || unread != 0 || theirs != input)
        std::abort();
    try {
        if (OurInflate(whole) != input) std::abort();
    } catch (const image::EImageError&) {
        std::abort();
    }
    return 0;
}
