#include "platform/TRegistry.h"

#include "platform/AtomicFile.h"
#include "platform/ErrorText.h"
#include "platform/FileAside.h"
#include "platform/FileLock.h"
#include "platform/QtText.h"
#include "platform/Text.h"
#include "platform/XmlNesting.h"

#include <QDir>
#include <QSet>
#include <QString>
#include <QtGlobal>
#include <algorithm>
#include <charconv>
#include <limits>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <pugixml.hpp>
#include <sstream>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace platform {

namespace registry_detail {

struct Value {
    std::string name;
    TRegDataType type = TRegDataType::String;
    int32_t integer = 0;
    std::string text; // a string's text; an integer's data when it is no 32-bit number
    bool unreadable = false; // an integer whose data is no 32-bit number: kept, never read
};

struct Key {
    std::string name;
    std::vector<Value> values; // in the order they were created
    std::vector<Key> keys;
};

// One change made through a TRegistry, replayed on a fresh read of the file
// when the key is closed.
struct Change {
    // SetValueIfMissing writes only where the file has no value of that name;
    // Edit runs `edit` on the key (TRegistry::EditOnClose).
    enum class Kind { CreateKey, SetValue, SetValueIfMissing, DeleteValue, Edit };
    Kind kind;
    std::vector<std::string> path;
    Value value; // the new value, or only the name of the one to delete
    std::function<void(TRegistry&)> edit = {};
};

} // namespace registry_detail

namespace {

using registry_detail::Change;
using registry_detail::Key;
using registry_detail::Value;

constexpr std::string_view kFileName = "registry.xml";
constexpr std::string_view kTypeString = "string";
constexpr std::string_view kTypeInteger = "integer";
// The deepest nesting of elements a settings file may hold: the program's
// own keys lie five levels down.
constexpr int kMaxDepth = 256;

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a == b) return true;
    // Names are ASCII nearly always: compared without making Unicode strings,
    // since every lookup compares against every name of a key.
    if (IsAscii(a) && IsAscii(b))
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
    return ToQString(a).compare(ToQString(b), Qt::CaseInsensitive) == 0;
}

// A name as SameName compares it, for telling duplicates apart in one pass.
QString FoldedName(std::string_view name) { return ToQString(name).toCaseFolded(); }

std::vector<std::string> SplitPath(std::string_view path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('\\', start), path.size());
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string Quoted(std::string_view name) { return "'" + std::string(name) + "'"; }

bool ParseInt32(std::string_view s, int32_t& out) {
    if (s.empty()) return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size();
}

std::filesystem::path& SetAsideFile() {
    static std::filesystem::path file;
    return file;
}
std::string& SetAsideCause() {
    static std::string cause;
    return cause;
}
// Values passed over since the last TakeSkippedValues; one entry per name.
std::vector<TSkippedValue>& SkippedValues() {
    static std::vector<TSkippedValue> skipped;
    return skipped;
}

// Why the data of an integer value is no 32-bit number, in the user's words.
std::string UnreadableIntegerCause(std::string_view data) {
    // Hand-edited data may be anything, of any length: the message shows its start.
    constexpr size_t kShown = 40;
    if (text::CodePointCount(data) > kShown) {
        std::string shown(text::TakeCodePoints(data, kShown));
        return "«" + shown + "…» записано не как целое число";
    }
    const std::string_view digits = data.starts_with('-') ? data.substr(1) : data;
    const bool number = !digits.empty() && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (number)
        return "число " + std::string(data) + " вне пределов от " + std::to_string(std::numeric_limits<int32_t>::min()) + " до " +
               std::to_string(std::numeric_limits<int32_t>::max());
    return "«" + std::string(data) + "» записано не как целое число (нужны цифры, перед ними может стоять «-»)";
}

// ----- the tree in memory ---------------------------------------------------

template <class K>
K* FindKey(K& parent, std::string_view name) {
    for (auto& k : parent.keys)
        if (SameName(k.name, name)) return &k;
    return nullptr;
}

template <class K>
auto FindValue(K& key, std::string_view name) -> decltype(&key.values.front()) {
    for (auto& v : key.values)
        if (SameName(v.name, name)) return &v;
    return nullptr;
}

template <class K>
K* Descend(K& root, const std::vector<std::string>& path) {
    K* node = &root;
    for (const auto& part : path)
        if (!(node = FindKey(*node, part))) return nullptr;
    return node;
}

Key& DescendCreating(Key& root, const std::vector<std::string>& path) {
    Key* node = &root;
    for (const auto& part : path) {
        Key* next = FindKey(*node, part);
        if (!next) {
            node->keys.push_back(Key{part, {}, {}});
            next = &node->keys.back();
        }
        node = next;
    }
    return *node;
}

void Apply(Key& root, const Change& change) {
    Key& key = DescendCreating(root, change.path);
    switch (change.kind) {
    case Change::Kind::CreateKey:
        break;
    case Change::Kind::SetValue:
        if (Value* v = FindValue(key, change.value.name)) {
            // The registry keeps the name's letter case as first written.
            std::string name = std::move(v->name);
            *v = change.value;
            v->name = std::move(name);
        } else {
            key.values.push_back(change.value);
        }
        break;
    case Change::Kind::SetValueIfMissing:
        if (!FindValue(key, change.value.name)) key.values.push_back(change.value);
        break;
    case Change::Kind::DeleteValue:
        std::erase_if(key.values, [&](const Value& v) { return SameName(v.name, change.value.name); });
        break;
    case Change::Kind::Edit:
        break; // TRegistry::Replay runs it
    }
}

// ----- the file ---------------------------------------------------------------

// Reads one key element; false when it holds anything this store does not
// write, which marks the whole file as damaged.
bool ReadKey(const pugi::xml_node& element, Key& key) {
    QSet<QString> keyNames, valueNames;
    for (const auto& child : element.children()) {
        if (child.type() != pugi::node_element) return false;
        const std::string_view tag = child.name();
        const auto nameAttr = child.attribute("name");
        if (!nameAttr) return false;
        const std::string_view name = nameAttr.value();
        if (tag == "key") {
            if (name.empty() || name.find('\\') != std::string_view::npos) return false;
            const QString folded = FoldedName(name);
            if (keyNames.contains(folded)) return false;
            keyNames.insert(folded);
            key.keys.push_back(Key{std::string(name), {}, {}});
            if (!ReadKey(child, key.keys.back())) return false;
        } else if (tag == "value") {
            const auto data = child.attribute("data");
            const QString folded = FoldedName(name);
            if (!data || valueNames.contains(folded)) return false;
            valueNames.insert(folded);
            Value value{std::string(name), TRegDataType::String, 0, {}};
            const std::string_view type = child.attribute("type").value();
            if (type == kTypeString) {
                value.text = data.value();
            } else if (type == kTypeInteger) {
                // A number the store cannot hold is passed over when read,
                // not taken for damage of the whole file.
                value.type = TRegDataType::Integer;
                if (!ParseInt32(data.value(), value.integer)) {
                    value.unreadable = true;
                    value.text = data.value();
                }
            } else {
                return false;
            }
            key.values.push_back(std::move(value));
        } else {
            return false;
        }
    }
    return true;
}

void WriteKey(pugi::xml_node element, const Key& key) {
    for (const auto& v : key.values) {
        auto node = element.append_child("value");
        node.append_attribute("name").set_value(v.name.c_str());
        const bool isInteger = v.type == TRegDataType::Integer;
        node.append_attribute("type").set_value(std::string(isInteger ? kTypeInteger : kTypeString).c_str());
        // Attributes bring every byte back as written (pugixml escapes line
        // breaks and tabs there); element text would lose blanks.
        const std::string data = isInteger && !v.unreadable ? std::to_string(v.integer) : v.text;
        node.append_attribute("data").set_value(data.c_str());
    }
    for (const auto& k : key.keys) {
        auto node = element.append_child("key");
        node.append_attribute("name").set_value(k.name.c_str());
        WriteKey(node, k);
    }
}

// Reads the store into `root` (empty when there is no file). A damaged file
// is set aside and reads as empty. A file that can neither be read nor set
// aside also reads as empty, and the answer is false so that nothing
// overwrites it.
bool LoadStoreFile(const std::filesystem::path& file, Key& root) {
    root = Key{};
    std::error_code ec;
    const bool exists = std::filesystem::exists(file, ec);
    if (!exists && !ec) return true;
    std::string content;
    bool readable = !ec;
    if (readable) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream bytes;
        if (in) bytes << in.rdbuf();
        readable = in && !in.bad();
        content = bytes.str();
    }
    if (!readable) {
        qWarning("The settings file %s cannot be read; it is left untouched", file.c_str());
        return false;
    }

    // An empty file holds nothing worth keeping aside.
    if (content.empty()) return true;

    pugi::xml_document doc;
    const auto parsed = doc.load_buffer(content.data(), content.size(), pugi::parse_default, pugi::encoding_utf8);
    const auto element = doc.document_element();
    // Keys are read (and later written and freed) one level per call, so a
    // file nested deeper than any the program writes is damaged.
    std::string cause;
    if (!parsed)
        cause = XmlParseErrorText(parsed.status, uint64_t(parsed.offset), content.size());
    else if (std::string_view(element.name()) != "registry" || !element.next_sibling().empty())
        cause = "это не файл настроек: в нём нет одного элемента «registry»";
    else if (XmlNestedDeeperThan(doc, kMaxDepth))
        cause = "вложенность разделов глубже " + std::to_string(kMaxDepth) + " уровней";
    else if (ReadKey(element, root))
        return true;
    else
        cause = "раздел или значение записаны неверно (без имени, повторно или с неизвестным типом)";

    root = Key{};
    std::error_code asideError;
    const auto aside = SetFileAside(file, asideError);
    if (aside.empty()) {
        qWarning("The settings file %s is damaged and could not be renamed; it is left untouched",
                 file.c_str());
        return false;
    }
    qWarning("The settings file %s was damaged; it is kept as %s", file.c_str(), aside.c_str());
    SetAsideFile() = aside;
    SetAsideCause() = cause;
    return true;
}

} // namespace

TRegistry::TRegistry() = default;

TRegistry::~TRegistry() {
    try {
        CloseKey();
    } catch (const std::exception& e) {
        qWarning("Settings not saved: %s", e.what());
    }
}

void TRegistry::SetRootKey(TRegistryRoot root) {
    CloseKey();
    m_root = root;
}

std::filesystem::path TRegistry::StoreFile() {
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        base = xdg;
        if (!base.is_absolute()) base.clear(); // relative values are to be ignored
    }
    if (base.empty()) base = std::filesystem::path(QDir::homePath().toStdString()) / ".config";
    return base / "Corvane" / "Tessel" / kFileName;
}

std::filesystem::path TRegistry::TakeSetAsideFile(std::string* cause) {
    std::string taken = std::exchange(SetAsideCause(), {});
    if (cause) *cause = std::move(taken);
    return std::exchange(SetAsideFile(), {});
}

void TRegistry::RemoveLeftTemporaries() {
    const auto dir = StoreFile().parent_path();
    TFileLock clearing;
    std::error_code ec;
    if (std::filesystem::is_directory(dir, ec) && clearing.Lock(dir, TFileLock::TMode::Exclusive, false, ec))
        platform::RemoveLeftTemporaries(dir, {kFileName});
}

void TRegistry::Load() {
    auto fresh = std::make_unique<Key>();
    LoadStoreFile(StoreFile(), *fresh);
    m_snapshot = std::move(fresh);
}

bool TRegistry::KeyExists(std::string_view key) {
    if (!m_open) Load();
    return Descend(*m_snapshot, SplitPath(key)) != nullptr;
}

bool TRegistry::OpenKey(std::string_view key, bool canCreate) {
    CloseKey();
    Load();
    auto path = SplitPath(key);
    if (!Descend(*m_snapshot, path)) {
        if (!canCreate) return false;
        Change change{Change::Kind::CreateKey, path, {}};
        Apply(*m_snapshot, change);
        m_changes.push_back(std::move(change));
    }
    m_path = std::move(path);
    m_open = true;
    return true;
}

void TRegistry::CloseKey() {
    if (!m_open) return;
    // An edit's view holds no file of its own to write.
    if (m_editView) throw std::logic_error("TRegistry: an edit opens or closes no key");
    m_open = false;
    const auto changes = std::exchange(m_changes, {});
    if (changes.empty()) return;

    const auto file = StoreFile();
    try {
        std::filesystem::create_directories(file.parent_path());
    } catch (const std::filesystem::filesystem_error& e) {
        throw ERegistryException("Настройки не записаны: папка " + QuotedFile(file.parent_path()) +
                                 " не создана: " + ErrnoText(e.code()));
    }
    // Copies of the program on different data folders share this folder:
    // a save holds it alone from reading the file to renaming the new one
    // over it, so that no copy writes over a save it has not read (and no
    // start clears a save's temporary file). A folder that takes no lock is
    // saved to all the same.
    TFileLock saving;
    std::error_code lockError;
    saving.Lock(file.parent_path(), TFileLock::TMode::Exclusive, true, lockError);

    // Replay on what is on disk now, so that a save made by another object
    // since this key was opened is kept.
    Key root;
    if (!LoadStoreFile(file, root))
        throw ERegistryException("Настройки не записаны: файл настроек " + QuotedFile(file) +
                                 " не читается или повреждён, и его не удалось отложить в сторону.");
    for (const auto& change : changes) Replay(root, change);

    pugi::xml_document doc;
    auto element = doc.append_child("registry");
    WriteKey(element, root);
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
    try {
        // The keys hold passwords: like the user's registry, the file is the
        // user's alone. The replacement keeps the mode of the file it replaces.
        if (const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600); fd >= 0) ::close(fd);
        WriteFileAtomic(file, out.str());
    } catch (const std::exception& e) {
        throw ERegistryException(std::string("Настройки не записаны. ") + e.what());
    }
}

const Key* TRegistry::CurrentKey() const {
    if (!m_open || !m_snapshot) return nullptr;
    return Descend(static_cast<const Key&>(*m_snapshot), m_path);
}

bool TRegistry::ValueExists(std::string_view name) const { return GetDataType(name) != TRegDataType::Unknown; }

TRegDataType TRegistry::GetDataType(std::string_view name) const {
    const Key* key = CurrentKey();
    const Value* v = key ? FindValue(*key, name) : nullptr;
    return v ? v->type : TRegDataType::Unknown;
}

int32_t TRegistry::ReadInteger(std::string_view name) const {
    const Key* key = CurrentKey();
    const Value* v = key ? FindValue(*key, name) : nullptr;
    if (!v) throw ERegistryException("Failed to get data for " + Quoted(name));
    if (v->type != TRegDataType::Integer || v->unreadable) throw ERegistryException("Invalid data type for " + Quoted(name));
    return v->integer;
}

std::optional<int32_t> TRegistry::ReadIntegerIfValid(std::string_view name) const {
    const Key* key = CurrentKey();
    const Value* v = key ? FindValue(*key, name) : nullptr;
    if (!v) return std::nullopt;
    if (v->type != TRegDataType::Integer)
        SkipValue(v->name, "записан текст, а нужно целое число");
    else if (v->unreadable)
        SkipValue(v->name, UnreadableIntegerCause(v->text));
    else
        return v->integer;
    return std::nullopt;
}

std::optional<std::string> TRegistry::ReadStringIfValid(std::string_view name) const {
    const Key* key = CurrentKey();
    const Value* v = key ? FindValue(*key, name) : nullptr;
    if (!v) return std::nullopt;
    if (v->type == TRegDataType::String) return v->text;
    SkipValue(v->name, "записано целое число, а нужен текст");
    return std::nullopt;
}

void TRegistry::SkipValue(std::string_view name, std::string cause) const {
    qWarning("Setting %s skipped: %s", std::string(name).c_str(), cause.c_str());
    auto& skipped = SkippedValues();
    if (std::none_of(skipped.begin(), skipped.end(), [&](const auto& s) { return SameName(s.Name, name); }))
        skipped.push_back({std::string(name), std::move(cause)});
}

std::vector<TSkippedValue> TRegistry::TakeSkippedValues() { return std::exchange(SkippedValues(), {}); }

std::string TRegistry::ReadString(std::string_view name) const {
    const Key* key = CurrentKey();
    const Value* v = key ? FindValue(*key, name) : nullptr;
    if (!v) throw ERegistryException("Failed to get data for " + Quoted(name));
    if (v->type != TRegDataType::String) throw ERegistryException("Invalid data type for " + Quoted(name));
    return v->text;
}

void TRegistry::Record(Change change) {
    if (!m_open) throw ERegistryException("Failed to set data for " + Quoted(change.value.name));
    change.path = m_path;
    Replay(*m_snapshot, change);
    m_changes.push_back(std::move(change));
}

void TRegistry::Replay(Key& root, const Change& change) {
    Apply(root, change);
    if (change.kind != Change::Kind::Edit) return;
    // The edit works through a registry object open on the key of `root`;
    // what it writes lands in `root` alone, never in the file.
    TRegistry view;
    view.m_snapshot = std::make_unique<Key>(std::move(root));
    view.m_path = change.path;
    view.m_open = true;
    view.m_editView = true;
    struct GiveBack {
        TRegistry& view;
        Key& root;
        ~GiveBack() {
            root = std::move(*view.m_snapshot);
            view.m_open = false;
        }
    } giveBack{view, root};
    change.edit(view);
}

void TRegistry::EditOnClose(std::function<void(TRegistry&)> edit) {
    Change change{Change::Kind::Edit, {}, {}, std::move(edit)};
    Record(std::move(change));
}

void TRegistry::WriteInteger(std::string_view name, int32_t value) {
    Record({Change::Kind::SetValue, {}, {std::string(name), TRegDataType::Integer, value, {}}});
}

void TRegistry::WriteString(std::string_view name, std::string_view value) {
    value = value.substr(0, value.find('\0'));
    Record({Change::Kind::SetValue, {}, {std::string(name), TRegDataType::String, 0, std::string(value)}});
}

void TRegistry::WriteIntegerIfMissing(std::string_view name, int32_t value) {
    Record({Change::Kind::SetValueIfMissing, {}, {std::string(name), TRegDataType::Integer, value, {}}});
}

void TRegistry::WriteStringIfMissing(std::string_view name, std::string_view value) {
    value = value.substr(0, value.find('\0'));
    Record({Change::Kind::SetValueIfMissing, {}, {std::string(name), TRegDataType::String, 0, std::string(value)}});
}

std::vector<std::string> TRegistry::GetValueNames() const {
    std::vector<std::string> names;
    if (const Key* key = CurrentKey())
        for (const auto& v : key->values) names.push_back(v.name);
    return names;
}

bool TRegistry::DeleteValue(std::string_view name) {
    if (!ValueExists(name)) return false;
    Record({Change::Kind::DeleteValue, {}, {std::string(name), TRegDataType::String, 0, {}}});
    return true;
}

} // namespace platform
