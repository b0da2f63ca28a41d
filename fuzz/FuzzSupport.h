#pragma once
// Shared by the fuzz targets: the program's folders pointed at a fresh
// temporary folder (no target reads or writes the user's files), a Qt core
// application for the code that needs one, and the input as a string.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace fuzzsupport {

// Once per process: XDG_CONFIG_HOME, XDG_DATA_HOME and the program's data
// folder in a temporary folder, a QCoreApplication, and the HTTP service.
// Answers the temporary folder.
const std::filesystem::path& Setup();

inline std::string Text(const uint8_t* data, size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

} // namespace fuzzsupport
