#pragma once
// The program's data folder, where it keeps its XML files ("LoadedFriends.xml",
// "Friends.xml", "FinderServers.xml", "Profiles.xml") and its HTML export
// ("~tmp.html"): $XDG_DATA_HOME/Corvane/Tessel (by default
// ~/.local/share/Corvane/Tessel). Not the executable's folder: a build folder
// is thrown away and an installed program cannot write beside itself.
// Everything that reads or writes such a file asks here, so tests can point
// it at a temporary folder.

#include <filesystem>
#include <string>

namespace platform {

// The data folder (or the override, when one is set), created when it does
// not exist yet. A folder that cannot be created is still answered: the read
// or write that follows fails with its own clear error.
std::filesystem::path ProgramDir();

// Replaces the folder that ProgramDir answers; an empty path restores the
// data folder. Meant for tests.
void SetProgramDir(const std::filesystem::path& dir);

// Two copies of the program on one data folder would overwrite each other's
// lists, so the folder has one writer at a time: the program and `vtool
// search` hold it, by a lock on "Velmora.lock" in it, from their start to
// their end.
enum class TProgramDirHold {
    Held,          // this process is the folder's one writer until it ends
    HeldElsewhere, // another running process holds it: this one must write nothing there
    NotLockable,   // the folder takes no lock (it cannot be reached, or its file system has no locks)
};
// Takes the data folder for this process. Asking again answers Held at once.
TProgramDirHold HoldProgramDir();
// What a start refused because of HeldElsewhere tells the user.
std::string ProgramDirHeldElsewhereText();

} // namespace platform
