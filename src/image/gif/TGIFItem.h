#pragma once
// Base of every block of the GIF block tree (header, frames, extensions,
// trailer). A block knows the image that owns it and routes its warnings
// there; it has no behaviour of its own beyond that.

#include "image/gif/GIFTypes.h"
#include "platform/TPersistent.h"

#include <string>

class QIODevice;

namespace image {

class TGIFImage;

class TGIFItem : public platform::TPersistent {
public:
    // `image` is the owner (borrowed); null for a block outside any image,
    // whose warnings then go nowhere.
    explicit TGIFItem(TGIFImage* image) : m_gifImage(image) {}
    TGIFItem(const TGIFItem&) = delete;
    TGIFItem& operator=(const TGIFItem&) = delete;
    ~TGIFItem() override = default;

    TGIFImage* GIFImage() const { return m_gifImage; }

    // The GIF version this block needs when written; 87a unless overridden.
    virtual TGIFVersion GetVersion() const { return TGIFVersion::gv87a; }
    // Reports damaged but readable data to the owning image, if any.
    virtual void Warning(TGIFSeverity severity, const std::string& message);

    // Reads the block from the current position; damaged data raises
    // GIFException or warns, as each block describes.
    virtual void LoadFromStream(QIODevice& stream) = 0;
    // Writes the block at the current position. A device that does not take
    // every byte raises EInOutError "Stream write error"; what was written
    // before stays.
    virtual void SaveToStream(QIODevice& stream) const = 0;
    // Writes the block to a new file through a temporary file that replaces
    // the target only when everything was written: on any error the target
    // is left as it was. A file that cannot be made raises EInOutError
    // "Cannot create file "<name>". <reason>".
    void SaveToFile(const std::string& fileName) const;
    // Opens the file for reading and calls LoadFromStream; a file that cannot
    // be opened raises EInOutError "Cannot open file "<name>". <reason>".
    void LoadFromFile(const std::string& fileName);

protected:
    TGIFImage* m_gifImage;
};

} // namespace image
