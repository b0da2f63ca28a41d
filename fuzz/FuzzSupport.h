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
// Setup with a widget application on the offscreen platform in place of the
// core application, for the targets that paint or make widgets. A process
// calls one of the two.
const std::filesystem::path& SetupWidgets();

// A tiny deterministic generator of choices, seeded from the input, so that
// a target can vary what it does without taking bytes away from the input.
class TChoices {
public:
    TChoices(const uint8_t* data, size_t size) {
        for (size_t i = 0; i < size; ++i) m_state = (m_state ^ data[i]) * 0x100000001B3ull;
    }
    // 0..n-1 (n > 0).
    uint32_t Next(uint32_t n) {
        m_state ^= m_state >> 33;
        m_state *= 0xFF51AFD7ED558CCDull;
        m_state ^= m_state >> 29;
        return static_cast<uint32_t>(m_state % n);
    }

private:
    uint64_t m_state = 0xCBF29CE484222325ull;
};

inline std::string Text(const uint8_t* data, size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

} // namespace fuzzsupport
