#pragma once
// "Beside the program": the folder of the executable, where the program keeps
// its XML files. Everything that reads or writes such a file asks here, so
// tests can point it at a temporary folder.

#include <filesystem>

namespace platform {

// The folder of the running executable (or the override, when one is set).
// Falls back to the current directory when the executable's folder cannot be
// found.
std::filesystem::path ProgramDir();

// Replaces the folder that ProgramDir answers; an empty path restores the
// executable's folder. Meant for tests.
void SetProgramDir(const std::filesystem::path& dir);

} // namespace platform
