#pragma once
// A linear-bitmap graphic whose streams hold JPEG files, so that pictures
// load and save ".jpg" and ".jpeg" files through the JPEG loader.

#include "image/TLinearGraphic.h"

namespace image {

class TJPEGGraphic : public TLinearGraphic {
public:
    std::string ClassName() const override { return "TJPEGGraphic"; }

    // Decodes a JPEG file from the device's position; errors of the loader
    // raise (see TJPEGLoader) and leave the image as it was.
    void LoadFromStream(QIODevice& stream) override { LoadFromStreamAs(stream, "JPG"); }
    // Writes the image as a JPEG file; an empty image raises ELinearBitmap
    // "Error in bitmap data".
    void SaveToStream(QIODevice& stream) const override { SaveToStreamAs(stream, "JPG"); }
};

} // namespace image
