#pragma once
// The registry of format plug-ins, chosen by upper-case file extension.
//
// Loaders are registered once at program start, in the order GIF, PNG/MNG,
// JPEG; the first loader that accepts an extension wins. Registration is an
// explicit call from start-up code (a static registrar object inside a
// loader's source would be dropped by the linker from the static library).
// The registry does not own its loaders; a loader must stay registered no
// longer than it lives.

#include <string>
#include <vector>

namespace image {

class TBitmapLoader;

class TBitmapLoaders {
public:
    // Appends a loader; adding one that is already there does nothing.
    void Add(TBitmapLoader& loader);
    // Takes a loader out (at shut-down and in tests); unknown ones are ignored.
    void Remove(TBitmapLoader& loader);
    int Count() const { return static_cast<int>(m_items.size()); }
    TBitmapLoader& Items(int index) const { return *m_items.at(static_cast<size_t>(index)); }

    // The first loader, in registration order, whose CanLoad accepts the
    // upper-cased extension; none raises EUnsupportedFileFormat
    // "Unsupported file format: <EXT>" (nothing after ": " for an empty one).
    TBitmapLoader& FindLoader(const std::string& ext) const;
    // The same with CanSave.
    TBitmapLoader& FindSaver(const std::string& ext) const;

private:
    std::vector<TBitmapLoader*> m_items;
};

// The program's one registry.
TBitmapLoaders& BitmapLoaders();

// BitmapLoaders().Add(loader).
void RegisterBitmapLoader(TBitmapLoader& loader);

} // namespace image
