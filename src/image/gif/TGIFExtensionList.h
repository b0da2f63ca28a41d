#pragma once
// The extensions that precede one frame, in file order.

#include "image/gif/TGIFExtension.h"
#include "image/gif/TGIFList.h"

class QIODevice;

namespace image {

class TGIFExtensionList : public TGIFList<TGIFExtension> {
public:
    using TGIFList::TGIFList;

    // Reads extensions until an image separator or the trailer (left for the
    // caller) or the end of the data; zero bytes between them are skipped.
    // Another byte where an extension should
    // start warns "Invalid extension introducer" and ends the list there. An
    // extension with an unregistered label is kept as a TGIFUnknownExtension
    // with the warning "Unknown extension type"; one that is too short to
    // identify raises "Unknown extension type". Errors inside an extension
    // pass on, and the half-read extension is dropped.
    void LoadFromStream(QIODevice& stream, TGIFSubImage* parent);
};

} // namespace image
