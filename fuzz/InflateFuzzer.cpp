// libFuzzer target: our inflater on arbitrary bytes. It must never crash,
// hang or read outside its buffers, must refuse exactly what zlib refuses,
// and must decode exactly what zlib decodes.
#include "ZlibOracle.h"
#include "image/EImageError.h"
#include "image/TDeflateStream.h"
#include "image/TMemStream.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    image::TMemStream in;
    in.Write(data, static_cast<int>(size));
    in.SetPosition(0);
    std::string ours;
    bool ok = false;
    try {
        image::TDeflateStream z(in, image::TDeflateMode::Decompress);
        z.SetCheckIO(false);
        char buf[7000]; // not a power of two, so reads end at odd places
        int got;
        while ((got = z.Read(buf, sizeof buf)) > 0 && ours.size() < (64u << 20)) ours.append(buf, static_cast<size_t>(got));
        ok = true;
    } catch (const image::EImageError&) {
    }
    if (ours.size() >= (64u << 20)) return 0; // a bomb: both sides stop early
    std::string theirs;
    const bool zlibOk = fuzzsupport::ZlibInflate(data, size, theirs);
    if (ok != zlibOk || (ok && ours != theirs)) std::abort();
    return 0;
}
