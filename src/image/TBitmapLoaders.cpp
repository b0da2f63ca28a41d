#include "image/TBitmapLoaders.h"

#include "image/EImageError.h"
#include "image/TBitmapLoader.h"
#include "platform/Text.h"

#include <algorithm>

namespace image {

void TBitmapLoaders::Add(TBitmapLoader& loader) {
    if (std::find(m_items.begin(), m_items.end(), &loader) == m_items.end()) m_items.push_back(&loader);
}

void TBitmapLoaders::Remove(TBitmapLoader& loader) { std::erase(m_items, &loader); }

TBitmapLoader& TBitmapLoaders::FindLoader(const std::string& ext) const {
    const std::string upper = text::AsciiUpper(ext);
    for (TBitmapLoader* loader : m_items)
        if (loader->CanLoad(upper)) return *loader;
    throw EUnsupportedFileFormat(std::string(SUnsupportedFileFormat) + ": " + upper);
}

TBitmapLoader& TBitmapLoaders::FindSaver(const std::string& ext) const {
    const std::string upper = text::AsciiUpper(ext);
    for (TBitmapLoader* loader : m_items)
        if (loader->CanSave(upper)) return *loader;
    throw EUnsupportedFileFormat(std::string(SUnsupportedFileFormat) + ": " + upper);
}

TBitmapLoaders& BitmapLoaders() {
    static TBitmapLoaders registry;
    return registry;
}

void RegisterBitmapLoader(TBitmapLoader& loader) { BitmapLoaders().Add(loader); }

} // namespace image
