// libFuzzer target: the PNG reader and the MNG reader on any bytes.
#include "FuzzSupport.h"

#include "image/TLinearBitmap.h"
#include "image/TMNGGraphic.h"
#include "image/TMemStream.h"
#include "image/TPNGLoader.h"

#include <QBuffer>
#include <QByteArray>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::Setup();
    try {
        image::TMemStream in;
        in.Write(data, static_cast<int>(size));
        in.SetPosition(0);
        image::TPNGLoader loader;
        image::TLinearBitmap bitmap;
        loader.LoadFromStream(in, "png", bitmap);
    } catch (const std::exception&) {
    }
    try {
        QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        image::TMNGGraphic graphic;
        graphic.LoadFromStream(buffer);
    } catch (const std::exception&) {
    }
    return 0;
}
