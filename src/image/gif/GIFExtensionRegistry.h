#pragma once
// The two registries of extension classes: by label, and, for application
// extensions, by their 11-byte identifier (8 name bytes and a 3-byte
// authentication code). One of each per program, made and filled on first
// use. Lookups run from the last entry to the first, so a later entry for the
// same key wins.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace image {

struct TGIFExtensionClass;

class TExtensionList {
public:
    void Add(uint8_t label, const TGIFExtensionClass& extensionClass);
    // The class registered for `label`; null when there is none.
    const TGIFExtensionClass* Find(uint8_t label) const;
    int Count() const { return static_cast<int>(m_items.size()); }

private:
    struct Entry {
        uint8_t Label;
        const TGIFExtensionClass* Class;
    };
    std::vector<Entry> m_items;
};

using TGIFAppIdent = std::array<uint8_t, 11>;

// The identifier of an 11-character text such as "NETSCAPE2.0".
TGIFAppIdent MakeAppIdent(std::string_view text);

class TAppExtensionList {
public:
    void Add(const TGIFAppIdent& ident, const TGIFExtensionClass& extensionClass);
    // The class registered for all 11 bytes of `ident`; null when there is none.
    const TGIFExtensionClass* Find(const TGIFAppIdent& ident) const;
    // The registered identifier whose first `count` bytes are `bytes`; null
    // when there is none.
    const TGIFAppIdent* Completing(const uint8_t* bytes, size_t count) const;
    int Count() const { return static_cast<int>(m_items.size()); }

private:
    struct Entry {
        TGIFAppIdent Ident;
        const TGIFExtensionClass* Class;
    };
    std::vector<Entry> m_items;
};

// Filled with the plain-text (0x01), graphic control (0xF9), comment (0xFE)
// and application (0xFF) extensions, in that order.
TExtensionList& ExtensionList();
// Filled with "NETSCAPE2.0" and "ANIMEXTS1.0", both the looping extension.
TAppExtensionList& AppExtensionList();

} // namespace image
