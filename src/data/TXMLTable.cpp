#include "data/TXMLTable.h"

#include "platform/AtomicFile.h"
#include "platform/ErrorText.h"
#include "platform/Text.h"
#include "platform/XmlNesting.h"
#include "platform/db/TField.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace data {
namespace {

// Whitespace between elements is dropped, but a field whose whole value is
// blanks keeps it; line ends inside values are kept as written, so a value
// with a carriage return reads back as it was saved.
constexpr unsigned kParseFlags = (pugi::parse_default & ~pugi::parse_eol) | pugi::parse_ws_pcdata_single;

[[noreturn]] void LoadError(const std::filesystem::path& fileName, int err) {
    throw EXMLTable(platform::NotReadText(fileName, err));
}

[[noreturn]] void Damaged(const std::filesystem::path& fileName, const std::string& what) {
    throw EXMLTableDamaged("Файл " + platform::QuotedFile(fileName) + " повреждён: " + what);
}

// A whole file in memory from pugixml's allocator, so that the document can
// take it over and parse it in place.
struct FileBuffer {
    char* data = nullptr;
    size_t size = 0;

    FileBuffer() = default;
    FileBuffer(const FileBuffer&) = delete;
    FileBuffer& operator=(const FileBuffer&) = delete;
    ~FileBuffer() { if (data) pugi::get_memory_deallocation_function()(data); }
    char* release() { return std::exchange(data, nullptr); }
    std::string_view view() const { return {data, size}; }
};

// Reads the file; false when it does not exist. Throws EXMLTable when it
// exists but cannot be read (no permission, a folder, an I/O error).
bool ReadFile(const std::filesystem::path& fileName, FileBuffer& buffer) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return false;
        LoadError(fileName, errno);
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) LoadError(fileName, errno);
    if (S_ISDIR(st.st_mode)) LoadError(fileName, EISDIR);
    // One byte more than the file, so that the read which meets its end needs
    // no bigger buffer; a file that grows meanwhile doubles it.
    size_t capacity = static_cast<size_t>(std::max<off_t>(st.st_size, 0)) + 1;
    for (;;) {
        if (!buffer.data || buffer.size == capacity) {
            if (buffer.data) capacity *= 2;
            char* grown = static_cast<char*>(pugi::get_memory_allocation_function()(capacity));
            if (!grown) LoadError(fileName, ENOMEM);
            if (buffer.data) {
                std::memcpy(grown, buffer.data, buffer.size);
                pugi::get_memory_deallocation_function()(buffer.data);
            }
            buffer.data = grown;
        }
        const ssize_t n = ::read(fd, buffer.data + buffer.size, capacity - buffer.size);
        if (n < 0) {
            if (errno == EINTR) continue;
            LoadError(fileName, errno);
        }
        if (n == 0) return true;
        buffer.size += static_cast<size_t>(n);
    }
}

// The encoding named by the XML declaration at the start, in lower case; ""
// without a declaration or an encoding in it.
std::string DeclaredEncoding(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    if (!bytes.starts_with("<?xml") || bytes.size() < 6 || static_cast<unsigned char>(bytes[5]) > ' ') return {};
    const size_t end = bytes.find("?>");
    const std::string_view decl = bytes.substr(0, end);
    size_t pos = decl.find("encoding");
    if (pos == std::string_view::npos) return {};
    pos += 8;
    auto skipBlanks = [&] { while (pos < decl.size() && static_cast<unsigned char>(decl[pos]) <= ' ') ++pos; };
    skipBlanks();
    if (pos >= decl.size() || decl[pos] != '=') return {};
    ++pos;
    skipBlanks();
    if (pos >= decl.size() || (decl[pos] != '"' && decl[pos] != '\'')) return {};
    const char quote = decl[pos++];
    const size_t close = decl.find(quote, pos);
    if (close == std::string_view::npos) return {};
    return text::AsciiLower(decl.substr(pos, close - pos));
}

// UTF-16 and UTF-32 files start with a byte order mark or a zero byte in
// their first two bytes; pugixml tells them apart itself.
bool LooksWide(std::string_view bytes) {
    if (bytes.size() < 2) return false;
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    const auto b1 = static_cast<unsigned char>(bytes[1]);
    return (b0 == 0xFE && b1 == 0xFF) || (b0 == 0xFF && b1 == 0xFE) || b0 == 0 || b1 == 0;
}

// How a file's bytes became the UTF-8 text that was parsed.
enum class TFileEncoding { Utf8, Cp1251, Latin1, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

// The wide encoding pugixml reads a wide-looking file in (its byte order
// mark, or the zero bytes round the first '<'); UTF-8 when it guesses none.
TFileEncoding WideEncoding(std::string_view bytes) {
    const auto at = [&](size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0x100u; };
    if (at(0) == 0 && at(1) == 0 && ((at(2) == 0xFE && at(3) == 0xFF) || (at(2) == 0 && at(3) == '<')))
        return TFileEncoding::Utf32BE;
    if (((at(0) == 0xFF && at(1) == 0xFE) || (at(0) == '<' && at(1) == 0)) && at(2) == 0 && at(3) == 0)
        return TFileEncoding::Utf32LE;
    if ((at(0) == 0xFE && at(1) == 0xFF) || (at(0) == 0 && at(1) == '<')) return TFileEncoding::Utf16BE;
    if ((at(0) == 0xFF && at(1) == 0xFE) || (at(0) == '<' && at(1) == 0)) return TFileEncoding::Utf16LE;
    return TFileEncoding::Utf8;
}

size_t Utf8Length(uint32_t codePoint) {
    return codePoint < 0x80 ? 1 : codePoint < 0x800 ? 2 : codePoint < 0x10000 ? 3 : 4;
}

// The byte of the file where `parsedOffset` of the parsed UTF-8 text lies.
// The parser counts places in the text it parsed, which for a file in any
// other encoding is the file converted, longer than the file itself: its
// places would lie past the file's end.
uint64_t FileOffset(std::string_view file, TFileEncoding encoding, size_t parsedOffset) {
    if (encoding == TFileEncoding::Utf8) return parsedOffset;
    static const std::array<uint8_t, 256> cp1251Lengths = [] {
        std::array<uint8_t, 256> lengths{};
        for (int b = 0; b < 256; ++b)
            lengths[size_t(b)] = uint8_t(text::Cp1251ToUtf8(std::string(1, static_cast<char>(b))).size());
        return lengths;
    }();
    const auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(file[i])); };
    const bool wide32 = encoding == TFileEncoding::Utf32LE || encoding == TFileEncoding::Utf32BE;
    const bool wide16 = encoding == TFileEncoding::Utf16LE || encoding == TFileEncoding::Utf16BE;
    const bool little = encoding == TFileEncoding::Utf16LE || encoding == TFileEncoding::Utf32LE;
    const auto unit16 = [&](size_t i) { return little ? byte(i) | byte(i + 1) << 8 : byte(i) << 8 | byte(i + 1); };
    size_t pos = 0;
    for (size_t parsed = 0; parsed < parsedOffset && pos < file.size();) {
        if (encoding == TFileEncoding::Cp1251) {
            parsed += cp1251Lengths[byte(pos++)];
        } else if (encoding == TFileEncoding::Latin1) {
            parsed += byte(pos++) < 0x80 ? 1 : 2;
        } else if (wide16 && pos + 1 < file.size()) {
            const uint32_t unit = unit16(pos);
            const bool pair = unit >= 0xD800 && unit < 0xDC00 && pos + 3 < file.size() && (unit16(pos + 2) & 0xFC00) == 0xDC00;
            parsed += pair ? 4 : Utf8Length(unit);
            pos += pair ? 4 : 2;
        } else if (wide32 && pos + 3 < file.size()) {
            const uint32_t cp = little ? byte(pos) | byte(pos + 1) << 8 | byte(pos + 2) << 16 | byte(pos + 3) << 24
                                       : byte(pos) << 24 | byte(pos + 1) << 16 | byte(pos + 2) << 8 | byte(pos + 3);
            parsed += Utf8Length(cp);
            pos += 4;
        } else {
            break;
        }
    }
    return std::min<uint64_t>(pos, file.size());
}

std::filesystem::path Absolute(const std::filesystem::path& p) {
    std::error_code ec;
    const auto abs = std::filesystem::absolute(p, ec);
    return (ec ? p : abs).lexically_normal();
}

bool SamePath(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec) && !ec) return true;
    return Absolute(a) == Absolute(b);
}

// XML 1.0 holds no control character but tab, line feed and carriage
// return, and neither U+FFFE nor U+FFFF (surrogates never pass UTF-8
// decoding). Anything else would make the file unreadable to every other
// XML tool.
bool IsXmlChar(char32_t c) { return c >= 0x20 ? c != 0xFFFE && c != 0xFFFF : c == '\t' || c == '\n' || c == '\r'; }

// XML text that may hold what XML 1.0 does not: a control byte other than
// tab, line feed and carriage return, a character reference ("&#01;" is
// how pugixml writes a control character, and the only kind of reference
// it writes), or U+FFFE / U+FFFF. Our own files hold none of them, so a
// whole file is looked through at memory speed, sixteen bytes at a time,
// and its document walked only when this answers true.
bool MayHoldNonXmlChars(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    const auto suspect = [&](size_t i) {
        const unsigned char c = p[i];
        if (c < 0x20) return c != '\t' && c != '\n' && c != '\r';
        if (c == '&') return i + 1 < n && p[i + 1] == '#';
        return c == 0xEF && i + 2 < n && p[i + 1] == 0xBF && (p[i + 2] & 0xFE) == 0xBE;
    };
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i below = _mm_set1_epi8(0x1F);
    const __m128i tab = _mm_set1_epi8('\t'), lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
    const __m128i amp = _mm_set1_epi8('&'), ef = _mm_set1_epi8(static_cast<char>(0xEF));
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i control = _mm_andnot_si128(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, tab), _mm_cmpeq_epi8(v, lf)), _mm_cmpeq_epi8(v, cr)),
            _mm_cmpeq_epi8(_mm_min_epu8(v, below), v));
        const __m128i hits = _mm_or_si128(control, _mm_or_si128(_mm_cmpeq_epi8(v, amp), _mm_cmpeq_epi8(v, ef)));
        for (int mask = _mm_movemask_epi8(hits); mask; mask &= mask - 1)
            if (suspect(i + size_t(__builtin_ctz(mask)))) return true;
    }
#endif
    for (; i < n; ++i)
        if (suspect(i)) return true;
    return false;
}

// Every text and attribute value of the document as a table keeps it (see
// StoredText): files written before held control characters as "&#01;",
// which our reader takes and no other does. Walked without recursion.
void MakeXmlText(pugi::xml_node root) {
    const auto fix = [](auto item) {
        if (!data::TXMLTable::IsStoredAsIs(item.value())) item.set_value(data::TXMLTable::StoredText(item.value()).c_str());
    };
    for (pugi::xml_node node = root.first_child(); node;) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) fix(node);
        for (pugi::xml_attribute attribute : node.attributes()) fix(attribute);
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && node != root && !node.next_sibling()) node = node.parent();
        if (!node || node == root) break;
        node = node.next_sibling();
    }
}

struct StringWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

} // namespace

TXMLTable::TXMLTable() = default;

TXMLTable::~TXMLTable() = default;

std::string TXMLTable::ContainerName() const { return m_topNodeName.empty() ? "XMLTable" : m_topNodeName; }

void TXMLTable::BindRecordsList() {
    if (m_container && m_container == m_document.document_element()) return;
    if (!m_document.document_element()) m_document.append_child(ContainerName().c_str());
    RebuildRecords();
}

void TXMLTable::RebuildRecords() {
    m_container = m_document.document_element();
    m_records.clear();
    for (pugi::xml_node child = m_container.first_child(); child;) {
        const pugi::xml_node next = child.next_sibling();
        if (child.type() == pugi::node_element) {
            m_records.push_back(child);
        } else if (child.type() == pugi::node_pcdata && text::Trim(child.value()).empty()) {
            // Blanks kept by the parser between records of a container
            // without other children would only spoil the saved layout.
            m_container.remove_child(child);
        }
        child = next;
    }
}

void TXMLTable::InternalOpen() { BindRecordsList(); }

void TXMLTable::LoadFromFile(const std::filesystem::path& fileName) {
    try {
        LoadDocument(fileName);
    } catch (const EXMLTable&) {
        // The file exists but holds nothing we can use: keep it from being
        // overwritten by this table.
        if (std::none_of(m_failedLoads.begin(), m_failedLoads.end(),
                         [&](const auto& p) { return SamePath(p, fileName); }))
            m_failedLoads.push_back(Absolute(fileName));
        throw;
    }
}

void TXMLTable::LoadDocument(const std::filesystem::path& fileName) {
    FileBuffer buffer;
    if (!ReadFile(fileName, buffer)) {
        // A missing file: the table keeps what it has, cursor included.
        BindRecordsList();
        std::erase_if(m_failedLoads, [&](const auto& p) { return SamePath(p, fileName); });
        return;
    }

    const std::string_view bytes = buffer.view();
    pugi::xml_document document;
    pugi::xml_parse_result result;
    // Converted files are parsed from a copy, so that a place in them can
    // be found in the file's own bytes.
    TFileEncoding parsedFrom = TFileEncoding::Utf8;
    // Converted files are rare: their text is looked through after parsing.
    bool mayHoldNonXml = true;
    if (LooksWide(bytes)) {
        parsedFrom = WideEncoding(bytes);
        result = document.load_buffer(bytes.data(), bytes.size(), kParseFlags, pugi::encoding_auto);
    } else {
        const std::string encoding = DeclaredEncoding(bytes);
        const bool utf8 = encoding.empty() || encoding == "utf-8" || encoding == "utf8" || encoding == "us-ascii";
        const bool valid = utf8 && text::IsValidUtf8(bytes);
        if (encoding == "windows-1251" || encoding == "cp1251" || encoding == "x-cp1251" ||
            (encoding.empty() && !valid)) {
            // Hand-written files of the original's days are windows-1251,
            // with or without saying so.
            const std::string converted = text::Cp1251ToUtf8(bytes);
            parsedFrom = TFileEncoding::Cp1251;
            mayHoldNonXml = MayHoldNonXmlChars(converted);
            result = document.load_buffer(converted.data(), converted.size(), kParseFlags, pugi::encoding_utf8);
        } else if (utf8) {
            if (!valid) Damaged(fileName, "текст не в кодировке UTF-8");
            mayHoldNonXml = MayHoldNonXmlChars(bytes);
            result = document.load_buffer_inplace_own(buffer.release(), bytes.size(), kParseFlags, pugi::encoding_utf8);
        } else if (encoding == "iso-8859-1" || encoding == "latin1" || encoding == "latin-1") {
            parsedFrom = TFileEncoding::Latin1;
            result = document.load_buffer(bytes.data(), bytes.size(), kParseFlags, pugi::encoding_latin1);
        } else {
            Damaged(fileName, "неизвестная кодировка «" + encoding + "»");
        }
    }
    if (!result)
        Damaged(fileName, platform::XmlParseErrorText(result.status, FileOffset(bytes, parsedFrom, size_t(result.offset)),
                                                      bytes.size()));
    if (!document.document_element()) Damaged(fileName, "в нём нет данных");
    if (platform::XmlNestedDeeperThan(document, MaxDepth))
        Damaged(fileName, "вложенность элементов глубже " + std::to_string(MaxDepth) + " уровней");

    if (mayHoldNonXml) MakeXmlText(document);
    m_document = std::move(document);
    RebuildRecords();
    std::erase_if(m_failedLoads, [&](const auto& p) { return SamePath(p, fileName); });
    RecordsChanged(1);
}

void TXMLTable::SaveToFile(const std::filesystem::path& fileName) {
    if (SaveRefused(fileName))
        throw EXMLTable("Файл " + platform::QuotedFile(fileName) +
                        " не записан: при загрузке он не был прочитан, и программа его не заменяет. "
                        "Исправьте или удалите его.");
    BindRecordsList();
    StringWriter writer;
    m_document.save(writer, "\t", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
    if (MayHoldNonXmlChars(writer.out)) {
        // Text set on the elements directly has not passed StoredText.
        MakeXmlText(m_document);
        writer.out.clear();
        m_document.save(writer, "\t", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
    }
    try {
        platform::WriteFileAtomic(fileName, writer.out);
    } catch (const platform::EFileWrite& e) {
        throw EXMLTable(e.what());
    }
}

bool TXMLTable::SaveRefused(const std::filesystem::path& fileName) const {
    std::error_code ec;
    if (!std::filesystem::exists(fileName, ec)) return false;
    return std::any_of(m_failedLoads.begin(), m_failedLoads.end(),
                       [&](const auto& p) { return SamePath(p, fileName); });
}

pugi::xml_node TXMLTable::NewRecordNode() {
    BindRecordsList();
    UpdateFieldDefs();
    const std::string name = m_recordNodeName.empty() ? "Record" : m_recordNodeName;
    pugi::xml_node record = m_container.append_child(name.c_str());
    for (int i = 0; i < FieldDefs().Count(); ++i) record.append_child(FieldDefs().Items(i).Name.c_str());
    m_records.push_back(record);
    RecordsChanged(m_records.size() == 1 ? 1 : RecNo());
    if (OnPosition) OnPosition(*this, static_cast<int32_t>(m_records.size()));
    return record;
}

void TXMLTable::DeleteNode(int index) {
    if (index < 0 || index >= RecordCount()) return;
    m_container.remove_child(m_records[static_cast<size_t>(index)]);
    m_records.erase(m_records.begin() + index);
    const int recNo = RecNo();
    RecordsChanged(index < recNo - 1 ? recNo - 1 : recNo);
}

void TXMLTable::MoveUp() {
    const int recNo = RecNo();
    if (recNo <= 1 || recNo > RecordCount()) return;
    auto& current = m_records[static_cast<size_t>(recNo - 1)];
    auto& previous = m_records[static_cast<size_t>(recNo - 2)];
    m_container.insert_move_before(current, previous);
    std::swap(current, previous);
    RecordsChanged(recNo - 1);
}

void TXMLTable::MoveDown() {
    const int recNo = RecNo();
    if (recNo < 1 || recNo >= RecordCount()) return;
    auto& current = m_records[static_cast<size_t>(recNo - 1)];
    auto& next = m_records[static_cast<size_t>(recNo)];
    m_container.insert_move_after(current, next);
    std::swap(current, next);
    RecordsChanged(recNo + 1);
}

pugi::xml_node TXMLTable::AppendRecord() {
    const pugi::xml_node record = NewRecordNode();
    if (Active()) Last();
    return record;
}

void TXMLTable::DeleteCurrent() {
    const int recNo = RecNo();
    if (recNo < 1 || recNo > RecordCount()) return;
    m_container.remove_child(m_records[static_cast<size_t>(recNo - 1)]);
    m_records.erase(m_records.begin() + (recNo - 1));
    RecordsChanged(recNo > 1 ? recNo - 1 : 1);
}

std::string TXMLTable::GetFieldValue(std::string_view fieldName) const {
    const int recNo = RecNo();
    if (recNo < 1 || recNo > RecordCount()) return {};
    return NodeText(m_records[static_cast<size_t>(recNo - 1)], fieldName);
}

void TXMLTable::ClearRecords() {
    if (!m_container) return;
    m_container.remove_children();
    m_records.clear();
    RecordsChanged(0);
}

void TXMLTable::FillStrings(std::string_view fieldName, std::vector<std::string>& strings) const {
    strings.clear();
    strings.reserve(m_records.size());
    for (const pugi::xml_node record : m_records) strings.push_back(NodeText(record, fieldName));
}

// A closed table has no cursor to place, bound records or not: the dataset
// layer refuses RecNo there as it refuses every other move.
void TXMLTable::SetRecNo(int value) {
    if (!m_container || value < 0 || value > RecordCount()) throw EXMLTable("SetRecNo: out of range");
    db::TDataSet::SetRecNo(value);
    if (OnPosition) OnPosition(*this, value);
}

pugi::xml_node TXMLTable::RecordNode(int index) const {
    if (index < 0 || index >= RecordCount()) return {};
    return m_records[static_cast<size_t>(index)];
}

std::string TXMLTable::InternalFieldText(int recordIndex, const db::TField& field) const {
    const pugi::xml_node record = m_records[static_cast<size_t>(recordIndex)];
    // The dataset cuts a text to its field's size: only that much is read.
    return field.Size() > 0 ? NodeText(record, field.FieldName(), size_t(field.Size()))
                            : NodeText(record, field.FieldName());
}

pugi::xml_node TXMLTable::FieldNode(pugi::xml_node record, std::string_view field) {
    // pugixml's own lookup runs inside the library, several times faster
    // than walking the children through its API; it wants a terminated name.
    char name[64];
    if (field.size() < sizeof name && field.find('\0') == std::string_view::npos) {
        std::memcpy(name, field.data(), field.size());
        name[field.size()] = '\0';
        return record.child(name);
    }
    return record.child(std::string(field).c_str());
}

std::string TXMLTable::NodeText(pugi::xml_node record, std::string_view field) {
    const pugi::xml_node node = FieldNode(record, field);
    const pugi::xml_node first = node.first_child();
    if (!first) return {};
    if (!first.next_sibling() && first.type() == pugi::node_pcdata) return first.value();
    std::string text;
    for (pugi::xml_node child = first; child; child = child.next_sibling())
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) text += child.value();
    return text;
}

std::string TXMLTable::NodeText(pugi::xml_node record, std::string_view field, size_t maxCodePoints) {
    const pugi::xml_node first = FieldNode(record, field).first_child();
    // A character takes 4 bytes at most: nothing past that is even measured.
    if (first && !first.next_sibling() && first.type() == pugi::node_pcdata)
        return std::string(text::TakeCodePoints(
            std::string_view(first.value(), strnlen(first.value(), 4 * maxCodePoints)), maxCodePoints));
    return std::string(text::TakeCodePoints(NodeText(record, field), maxCodePoints));
}

void TXMLTable::SetNodeText(pugi::xml_node record, std::string_view field, std::string_view value) {
    if (!record) return;
    pugi::xml_node node = FieldNode(record, field);
    if (!node) node = record.append_child(std::string(field).c_str());
    node.remove_children();
    if (!value.empty()) node.append_child(pugi::node_pcdata).set_value(StoredText(value).c_str());
}

// Whole tables go through this on every load and save, so it looks at
// bytes: the forbidden characters are the bytes below 0x20 and the
// sequences EF BF BE and EF BF BF.
bool TXMLTable::IsStoredAsIs(std::string_view value) {
    for (size_t i = 0; i < value.size(); ++i) {
        const auto c = static_cast<unsigned char>(value[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
        if (c == 0xEF && i + 2 < value.size() && static_cast<unsigned char>(value[i + 1]) == 0xBF &&
            (static_cast<unsigned char>(value[i + 2]) & 0xFE) == 0xBE)
            return false;
    }
    return text::IsValidUtf8(value);
}

std::string TXMLTable::StoredText(std::string_view value) {
    if (IsStoredAsIs(value)) return std::string(value);
    // One pass: replacing the characters one by one in place would move the
    // rest of the text each time, which a long run of them makes quadratic.
    std::string stored;
    stored.reserve(value.size() + 8);
    for (size_t pos = 0; pos < value.size();) {
        const char32_t c = text::NextCodePoint(value, pos);
        text::AppendUtf8(stored, IsXmlChar(c) ? c : U'\uFFFD');
    }
    return stored;
}

} // namespace data
