// libFuzzer target: the JPEG loader on any bytes, at full size and scaled.
// A few bytes may declare a valid picture of a gigabyte, which takes tens of
// seconds to decode: the loader's memory is bounded as a card's photo is, to
// keep each input within the fuzzer's time.
#include "FuzzSupport.h"

#include "image/TImageLoader.h"
#include "image/TJPEGLoader.h"
#include "image/TLinearBitmap.h"
#include "image/TMemStream.h"

#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (bool scaled : {false, true}) {
        try {
            image::TMemStream in;
            in.Write(data, static_cast<int>(size));
            in.SetPosition(0);
            image::TJPEGLoader loader;
            loader.SetMaxMemory(image::TImageLoader::MaxPhotoMemory);
            if (scaled) {
                loader.SetMinWidth(1);
                loader.SetMinHeight(1);
            }
            image::TLinearBitmap bitmap;
            loader.LoadFromStream(in, "jpg", bitmap);
        } catch (const std::exception&) {
        }
    }
    return 0;
}
