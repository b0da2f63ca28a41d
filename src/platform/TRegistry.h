#pragma once
// The per-user registry on a system that has none. The keys of
// HKEY_CURRENT_USER live in one XML file, $XDG_CONFIG_HOME/Corvane/Tessel/
// registry.xml (~/.config when the variable is unset), with typed values so
// that reading a value as the wrong kind is detected, and with key and value
// names compared without regard to letter case, as the registry compares them.
//
// One TRegistry object serves one load or save: opening a key reads the file,
// reads see that snapshot plus the object's own writes, and closing the key
// writes the changes back atomically. The file is read again just before that
// write, with the settings folder locked against every other save, and the
// changes are replayed on it, so two objects (or two copies of the program)
// that save never undo each other's values.
//
// A file that cannot be parsed (or that holds something this store never
// writes) is renamed aside, never overwritten, and the store starts empty:
// the program then starts as on a first run and the user's old file is kept.
// One integer value whose data is no 32-bit number does not damage the file:
// it is kept as written and passed over when read, as a value of the wrong
// kind is.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

namespace registry_detail {
struct Key;
struct Change;
} // namespace registry_detail

class ERegistryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The root keys the store knows. Only the current user's is kept.
enum class TRegistryRoot { CurrentUser };

// The kind of a stored value; Unknown for a value that does not exist.
enum class TRegDataType { Unknown, String, Integer };

// A value a load passed over, and why, in the user's words.
struct TSkippedValue {
    std::string Name;
    std::string Cause;
};

class TRegistry {
public:
    TRegistry();
    // Closes the open key; a failure to write is swallowed here, so callers
    // that must know about it call CloseKey themselves.
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    TRegistryRoot RootKey() const { return m_root; }
    // Closes the open key first (writing its changes).
    void SetRootKey(TRegistryRoot root);

    // True when the key exists. Paths are taken from the root, parts
    // separated by '\'; a leading '\' is allowed. Reading never raises: a
    // file that cannot be read holds no keys.
    bool KeyExists(std::string_view key);
    // Opens the key, creating it (and its parents) when `canCreate` is set.
    // False, with no key open, when it is missing and may not be created.
    bool OpenKey(std::string_view key, bool canCreate);
    // Writes the changes made since the key was opened and closes it. Throws
    // ERegistryException when the file cannot be written (or cannot be read,
    // so that writing would lose it); the file on disk is then as it was.
    // Closing with no open key does nothing.
    void CloseKey();
    bool HasCurrentKey() const { return m_open; }

    // Value operations act on the open key; with none open, reads find
    // nothing and writes throw ERegistryException.
    bool ValueExists(std::string_view name) const;
    TRegDataType GetDataType(std::string_view name) const;
    // Throws ERegistryException when the value is missing, is a string, or
    // holds no 32-bit number.
    int32_t ReadInteger(std::string_view name) const;
    // Throws ERegistryException when the value is missing or is an integer.
    std::string ReadString(std::string_view name) const;
    // The value when it exists and can be taken as the kind asked for; none
    // when it is missing. A value that exists but cannot be taken (the
    // other kind, or no 32-bit number) gives none too and is passed over
    // (SkipValue); the file keeps it as it is.
    std::optional<int32_t> ReadIntegerIfValid(std::string_view name) const;
    std::optional<std::string> ReadStringIfValid(std::string_view name) const;
    // Notes for the user that a load passed the value `name` over, and why
    // (`cause`, in the user's words); see TakeSkippedValues.
    void SkipValue(std::string_view name, std::string cause) const;
    void WriteInteger(std::string_view name, int32_t value);
    // A string ends at its first NUL byte, as a registry string does.
    void WriteString(std::string_view name, std::string_view value);
    // As the two above, but only where the file holds no value of that name
    // (of either kind) when the key is closed: a value written since by
    // another save, or one a load passed over, stays as it is.
    void WriteIntegerIfMissing(std::string_view name, int32_t value);
    void WriteStringIfMissing(std::string_view name, std::string_view value);
    // A change worked out on the open key as the file holds it when the key
    // is closed, read then with the settings folder held against every other
    // save: `edit` reads and writes the key's values through the registry
    // object it is given, as on an open key (opening or closing a key there
    // throws std::logic_error). It runs at once on this object's view as
    // well, so reads here see its result. Lets a save merge what it changed
    // into what another save wrote meanwhile; `edit` must depend on nothing
    // but the key it is given and what it captures.
    void EditOnClose(std::function<void(TRegistry&)> edit);
    // The names of the open key's values in the order they were created.
    std::vector<std::string> GetValueNames() const;
    // False when there was no such value.
    bool DeleteValue(std::string_view name);

    // The file that holds the current user's keys.
    static std::filesystem::path StoreFile();
    // The name a damaged file was kept under since the last call, or an
    // empty path; lets the program tell the user once. `cause`, when given,
    // gets what was wrong with the file, in the user's words.
    static std::filesystem::path TakeSetAsideFile(std::string* cause = nullptr);
    // The values passed over since the last call, one per name (with the
    // cause first met), in order; lets the program tell the user once.
    static std::vector<TSkippedValue> TakeSkippedValues();
    // Removes the temporary files that saves of the store file left when
    // their process died mid-save; nothing while any process is saving it.
    static void RemoveLeftTemporaries();

private:
    using Key = registry_detail::Key;
    using Change = registry_detail::Change;

    void Load();
    const Key* CurrentKey() const;
    void Record(Change change);
    // Applies `change` to the keys under `root`, an edit included.
    static void Replay(Key& root, const Change& change);

    TRegistryRoot m_root = TRegistryRoot::CurrentUser;
    std::unique_ptr<Key> m_snapshot; // the file as read at open, plus our changes
    std::vector<std::string> m_path;  // the open key
    std::vector<Change> m_changes;    // what CloseKey writes
    bool m_open = false;
    bool m_editView = false; // the view an edit works through (Replay)
};

} // namespace platform
