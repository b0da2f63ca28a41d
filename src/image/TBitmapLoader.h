#pragma once
// A file-format plug-in of the loader registry. A descendant overrides at
// least one of LoadFromStream / LoadFromFile and one of SaveToStream /
// SaveToFile: the defaults are written in terms of each other (a stream is
// spooled through a temporary file, a file is read through a TFileStream).
// A loader that overrides neither of a pair gets EUnsupportedFileFormat
// instead of endless recursion.
//
// Extensions reach the loader upper-cased ("PNG", "JPEG").

#include <string>

namespace image {

class TBaseStream;
class TLinearBitmap;

class TBitmapLoader {
public:
    TBitmapLoader() = default;
    TBitmapLoader(const TBitmapLoader&) = delete;
    TBitmapLoader& operator=(const TBitmapLoader&) = delete;
    virtual ~TBitmapLoader() = default;

    // True when "*.<ext>" occurs in the load filter (a plain substring test,
    // case-folded: "*.JP" matches a filter listing "*.jpg"); false for "".
    virtual bool CanLoad(const std::string& ext) const;
    // The same over the save filter.
    virtual bool CanSave(const std::string& ext) const;
    // A file-dialog filter ("Name (*.x)|*.x"); empty in the base.
    virtual std::string GetLoadFilter() const { return {}; }
    // The load filter unless overridden.
    virtual std::string GetSaveFilter() const { return GetLoadFilter(); }

    // Decodes the rest of `stream` into `bitmap`. The default copies the
    // whole stream into an exclusive temporary file (mkstemp; nothing is cut
    // off) and calls LoadFromFile on it; the file is removed afterwards.
    // Errors of the stream, the file and the decoder pass through.
    virtual void LoadFromStream(TBaseStream& stream, const std::string& ext, TLinearBitmap& bitmap);
    // Encodes `bitmap` onto `stream`. The default has SaveToFile write an
    // exclusive temporary file and copies that file onto the stream.
    virtual void SaveToStream(TBaseStream& stream, const std::string& ext, const TLinearBitmap& bitmap);
    // The default opens the file for reading and calls LoadFromStream; a
    // missing file raises EInOutError "Error opening "<name>" - <reason>".
    virtual void LoadFromFile(const std::string& fileName, const std::string& ext, TLinearBitmap& bitmap);
    // The default encodes with SaveToStream into memory and then replaces the
    // file atomically (temporary file and rename), so a failed save leaves an
    // existing file as it was; a file that cannot be written raises
    // EInOutError with the reason.
    virtual void SaveToFile(const std::string& fileName, const std::string& ext,
                            const TLinearBitmap& bitmap);

private:
    bool m_inDefaultLoad = false;
    bool m_inDefaultSave = false;
};

} // namespace image
