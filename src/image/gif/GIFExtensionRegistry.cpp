#include "image/gif/GIFExtensionRegistry.h"

#include "image/gif/TGIFAppExtNSLoop.h"
#include "image/gif/TGIFApplicationExtension.h"
#include "image/gif/TGIFCommentExtension.h"
#include "image/gif/TGIFGraphicControlExtension.h"
#include "image/gif/TGIFTextExtension.h"

#include <algorithm>

namespace image {

void TExtensionList::Add(uint8_t label, const TGIFExtensionClass& extensionClass) {
    m_items.push_back({label, &extensionClass});
}

const TGIFExtensionClass* TExtensionList::Find(uint8_t label) const {
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it)
        if (it->Label == label) return it->Class;
    return nullptr;
}

TGIFAppIdent MakeAppIdent(std::string_view text) {
    TGIFAppIdent ident{};
    std::copy_n(text.begin(), std::min(text.size(), ident.size()), ident.begin());
    return ident;
}

void TAppExtensionList::Add(const TGIFAppIdent& ident, const TGIFExtensionClass& extensionClass) {
    m_items.push_back({ident, &extensionClass});
}

const TGIFExtensionClass* TAppExtensionList::Find(const TGIFAppIdent& ident) const {
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it)
        if (it->Ident == ident) return it->Class;
    return nullptr;
}

const TGIFAppIdent* TAppExtensionList::Completing(const uint8_t* bytes, size_t count) const {
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it)
        if (count <= it->Ident.size() && std::equal(bytes, bytes + count, it->Ident.begin())) return &it->Ident;
    return nullptr;
}

TExtensionList& ExtensionList() {
    static TExtensionList list = [] {
        TExtensionList l;
        l.Add(bsPlainTextExtension, TGIFTextExtension::Class());
        l.Add(bsGraphicControlExtension, TGIFGraphicControlExtension::Class());
        l.Add(bsCommentExtension, TGIFCommentExtension::Class());
        l.Add(bsApplicationExtension, TGIFApplicationExtension::Class());
        return l;
    }();
    return list;
}

TAppExtensionList& AppExtensionList() {
    static TAppExtensionList list = [] {
        TAppExtensionList l;
        l.Add(MakeAppIdent("NETSCAPE2.0"), TGIFAppExtNSLoop::Class());
        l.Add(MakeAppIdent("ANIMEXTS1.0"), TGIFAppExtNSLoop::Class());
        return l;
    }();
    return list;
}

} // namespace image
