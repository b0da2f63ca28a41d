// libFuzzer target: the GIF reader on any bytes.
#include "FuzzSupport.h"

#include "image/gif/TGIFImage.h"

#include <QBuffer>
#include <QByteArray>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::Setup();
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    image::TGIFImage gif;
    try {
        gif.LoadFromStream(buffer);
    } catch (const std::exception&) {
    }
    return 0;
}
