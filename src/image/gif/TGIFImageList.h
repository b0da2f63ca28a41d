#pragma once
// The frames of a GIF image, in file order.

#include "image/gif/TGIFList.h"
#include "image/gif/TGIFSubImage.h"

class QIODevice;

namespace image {

class TGIFImageList : public TGIFList<TGIFSubImage> {
public:
    using TGIFList::TGIFList;

    // Reads frames (each with the extensions before it) until the trailer,
    // which is left for the caller, or the end of the data, which ends the
    // list quietly. Zero bytes between blocks are skipped. A byte that starts
    // no block warns "Unknown GIF block type" and ends the list with the
    // stream one byte before it. Errors of a frame pass on.
    // After each frame, the image's progress "Loading..." runs at the stream
    // position's share of its size. Reading also stops once the image has
    // read as many frames with pixels as it asked for (TGIFImage::FrameLimit).
    void LoadFromStream(QIODevice& stream, TGIFImage* parent);
    // Writes every frame, each followed by the image's progress "Saving..."
    // at the share of the frames written.
    void SaveToStream(QIODevice& stream) const override;
};

} // namespace image
