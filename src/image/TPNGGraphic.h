#pragma once
// A linear-bitmap graphic whose streams hold PNG files, so that graphic
// users load and save ".png" pictures through the PNG loader.

#include "image/TLinearGraphic.h"

namespace image {

class TPNGGraphic : public TLinearGraphic {
public:
    std::string ClassName() const override { return "TPNGGraphic"; }

    // Decodes a PNG file from the device's position; errors of the loader
    // raise (see TPNGLoader) and leave the image empty.
    void LoadFromStream(QIODevice& stream) override { LoadFromStreamAs(stream, "PNG"); }
    // Writes the image as a PNG file; an empty image raises ELinearBitmap
    // "Unsupported pixel format".
    void SaveToStream(QIODevice& stream) const override { SaveToStreamAs(stream, "PNG"); }
};

} // namespace image
