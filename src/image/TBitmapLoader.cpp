#include "image/TBitmapLoader.h"

#include "image/EImageError.h"
#include "image/TFileStream.h"
#include "image/TLinearBitmap.h"
#include "image/TMemStream.h"
#include "platform/AtomicFile.h"
#include "platform/FlagScope.h"
#include "platform/Text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <utility>

namespace image {

namespace {

[[noreturn]] void NoFormat(const std::string& ext) {
    throw EUnsupportedFileFormat(std::string(SUnsupportedFileFormat) + ": " + ext);
}

// An exclusive temporary file (mkstemps, mode 0600) in the system's
// temporary folder, named after the extension so that a loader that looks
// at the name sees the right one. Removed when the object goes.
class SpoolFile {
public:
    explicit SpoolFile(const std::string& ext) {
        std::filesystem::path dir;
        std::error_code ec;
        dir = std::filesystem::temp_directory_path(ec);
        if (ec) throw EInOutError(ec.message());
        std::string suffix;
        for (char c : ext)
            if (std::isalnum(static_cast<unsigned char>(c)) && suffix.size() < 16) suffix += c;
        if (!suffix.empty()) suffix = "." + suffix;
        m_path = (dir / ("velmora-XXXXXX" + suffix)).string();
        m_handle = ::mkstemps(m_path.data(), static_cast<int>(suffix.size()));
        if (m_handle < 0) throw EInOutError("Error opening \"" + m_path + "\" - " + std::strerror(errno));
    }
    ~SpoolFile() {
        if (m_handle >= 0) ::close(m_handle);
        ::unlink(m_path.c_str());
    }
    SpoolFile(const SpoolFile&) = delete;
    SpoolFile& operator=(const SpoolFile&) = delete;

    const std::string& Path() const { return m_path; }
    // Hands the open descriptor over (to a stream that will close it).
    int Release() { return std::exchange(m_handle, -1); }
    void Close() {
        if (m_handle >= 0) ::close(Release());
    }

private:
    std::string m_path;
    int m_handle = -1;
};

bool FilterListsExt(const std::string& filter, const std::string& ext) {
    if (ext.empty()) return false;
    return text::AsciiUpper(filter).find("*." + text::AsciiUpper(ext)) != std::string::npos;
}

} // namespace

bool TBitmapLoader::CanLoad(const std::string& ext) const { return FilterListsExt(GetLoadFilter(), ext); }

bool TBitmapLoader::CanSave(const std::string& ext) const { return FilterListsExt(GetSaveFilter(), ext); }

void TBitmapLoader::LoadFromStream(TBaseStream& stream, const std::string& ext, TLinearBitmap& bitmap) {
    if (m_inDefaultLoad) NoFormat(ext);
    // The default implementations tell this way that they were reached
    // from each other.
    platform::FlagScope scope(m_inDefaultLoad);
    SpoolFile spool(ext);
    {
        auto file = TFileStream::CreateFromHandle(spool.Release());
        // CopyFrom takes the whole stream with its CheckIO off meanwhile.
        file->CopyFrom(stream);
    }
    LoadFromFile(spool.Path(), ext, bitmap);
}

void TBitmapLoader::SaveToStream(TBaseStream& stream, const std::string& ext, const TLinearBitmap& bitmap) {
    if (m_inDefaultSave) NoFormat(ext);
    platform::FlagScope scope(m_inDefaultSave);
    SpoolFile spool(ext);
    spool.Close();
    SaveToFile(spool.Path(), ext, bitmap);
    TFileStream file(spool.Path(), TFileStream::fmRead);
    stream.CopyFrom(file);
}

void TBitmapLoader::LoadFromFile(const std::string& fileName, const std::string& ext, TLinearBitmap& bitmap) {
    TFileStream file(fileName, TFileStream::fmRead | TFileStream::fmShareRead);
    LoadFromStream(file, ext, bitmap);
}

void TBitmapLoader::SaveToFile(const std::string& fileName, const std::string& ext,
                               const TLinearBitmap& bitmap) {
    TMemStream encoded;
    SaveToStream(encoded, ext, bitmap);
    std::string bytes(static_cast<size_t>(encoded.GetSize()), '\0');
    encoded.SetPosition(0);
    for (size_t done = 0; done < bytes.size();) {
        const int piece = static_cast<int>(std::min<size_t>(bytes.size() - done, 1 << 30));
        done += static_cast<size_t>(encoded.Read(bytes.data() + done, piece));
    }
    try {
        platform::WriteFileAtomic(fileName, bytes);
    } catch (const platform::EFileWrite& e) {
        throw EInOutError(e.what());
    }
}

} // namespace image
