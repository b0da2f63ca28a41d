#pragma once
// The trailer (';') that ends a GIF file.

#include "image/gif/TGIFItem.h"

namespace image {

class TGIFTrailer : public TGIFItem {
public:
    using TGIFItem::TGIFItem;

    // Writes ';'.
    void SaveToStream(QIODevice& stream) const override;
    // Reads one byte; one that is not ';' warns "Invalid Image trailer". The
    // end of the data is no error.
    void LoadFromStream(QIODevice& stream) override;
};

} // namespace image
