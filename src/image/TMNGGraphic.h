#pragma once
// A linear-bitmap graphic whose streams hold MNG files, so that graphic
// users load and save ".mng" pictures through the MNG loader.

#include "image/TLinearGraphic.h"

namespace image {

class TMNGGraphic : public TLinearGraphic {
public:
    std::string ClassName() const override { return "TMNGGraphic"; }

    // Decodes a MNG file from the device's position; errors of the loader
    // raise (see TPNGLoader) and leave the image empty.
    void LoadFromStream(QIODevice& stream) override { LoadFromStreamAs(stream, "MNG"); }
    // Writes the image as a MNG file; an empty image raises ELinearBitmap
    // "Unsupported pixel format".
    void SaveToStream(QIODevice& stream) const override { SaveToStreamAs(stream, "MNG"); }
};

} // namespace image
