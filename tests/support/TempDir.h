#pragma once
// A temporary folder for one test, removed with everything in it afterwards.

#include <QTemporaryDir>
#include <filesystem>
#include <string>
#include <string_view>

namespace testsupport {

class TempDir {
public:
    TempDir() = default;
    std::filesystem::path path() const { return std::filesystem::path(m_dir.path().toStdString()); }
    std::filesystem::path operator/(std::string_view name) const { return path() / name; }

private:
    QTemporaryDir m_dir;
};

// Whole-file helpers for tests.
std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, std::string_view bytes);
// How many entries the folder holds.
size_t FilesIn(const std::filesystem::path& dir);

} // namespace testsupport
