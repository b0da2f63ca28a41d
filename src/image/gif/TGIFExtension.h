#pragma once
// Base of the extension blocks ('!', a label byte, a body) that precede a
// frame. Each extension class is described by a TGIFExtensionClass, which the
// registries map from labels (and, for application extensions, from
// identifiers), so that reading can pick the class for the bytes it meets.

#include "image/gif/TGIFItem.h"

#include <cstdint>
#include <memory>

namespace image {

class TGIFExtension;
class TGIFSubImage;

// What the registries know of one extension class.
struct TGIFExtensionClass {
    const char* Name;
    // The label byte; 0 for the class that keeps extensions of any
    // unregistered label.
    uint8_t Label;
    // A new, empty extension of this class for `subImage`.
    std::unique_ptr<TGIFExtension> (*Create)(TGIFSubImage* subImage);
    // A more specific class for the extension at the stream position (which
    // is its '!'), found by peeking without moving the stream; `self` when
    // there is none, null when the data is too short to tell.
    const TGIFExtensionClass* (*FindSubExtension)(const TGIFExtensionClass& self, QIODevice& stream);
};

// The FindSubExtension of classes without subclasses: `self`.
const TGIFExtensionClass* SameExtensionClass(const TGIFExtensionClass& self, QIODevice& stream);

class TGIFExtension : public TGIFItem {
public:
    // The extension belongs to `subImage` (borrowed, may be null) and reports
    // to that frame's image.
    explicit TGIFExtension(TGIFSubImage* subImage);

    TGIFSubImage* SubImage() const { return m_subImage; }
    // Every extension needs 89a.
    TGIFVersion GetVersion() const override { return TGIFVersion::gv89a; }
    // The label byte written after '!'.
    virtual uint8_t GetExtensionType() const = 0;

    // Writes '!' and the label; descendants write their body after it.
    void SaveToStream(QIODevice& stream) const override;
    // Reads '!' and the label. Another first byte raises "Invalid extension
    // introducer"; a label not this class's raises "Internal error: Extension
    // Instance does not match Extension Label". Descendants read their body
    // after calling this.
    void LoadFromStream(QIODevice& stream) override;

    // The class for the extension at the stream position ('!' first), found
    // by peeking: the label's registered class, refined by its
    // FindSubExtension until that stays the same. Null when the label is not
    // registered or the data is too short to decide.
    static const TGIFExtensionClass* FindExtension(QIODevice& stream);

protected:
    // Called by LoadFromStream with the label read from the file.
    virtual void CheckLabel(uint8_t label);

    TGIFSubImage* m_subImage;
};

// Makes a TGIFExtensionClass::Create for the class T.
template <class T>
std::unique_ptr<TGIFExtension> CreateExtension(TGIFSubImage* subImage) {
    return std::make_unique<T>(subImage);
}

} // namespace image
