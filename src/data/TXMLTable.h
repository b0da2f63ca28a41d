#pragma once
// A dataset kept in one XML document: the document's first element is the
// record container, each of its child elements is a record, and each field
// is a child element of the record named after the field, with the value as
// its text. Every stored list of the program derives from this table.
//
// The program edits records through the element operations below (and the
// elements they hand out); the dataset's own Edit/Insert/Post/Delete are
// refused. Record elements must be added, moved and removed only through
// these operations: the table keeps them in a vector so that a record is
// reached by position in constant time (walking by RecNo stays linear).
// Field elements of a record may be read and written freely.
//
// Files are UTF-8 without an XML declaration, holding only what XML 1.0
// allows (see StoredText). A file that fails to load
// leaves the table as it was, and the table then refuses to save over that
// file until it loads it successfully or the file is gone, so the user's
// data are never replaced by an empty or partial table.

#include "platform/db/TDataSet.h"

#include "platform/Text.h"

#include <pugixml.hpp>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace data {

// The table layer's failures: files that cannot be read, parsed or written,
// and positions out of range ("SetRecNo: out of range").
class EXMLTable : public db::EDatabaseError {
public:
    using db::EDatabaseError::EDatabaseError;
};

// A file that could be read but holds no table: damaged XML, text in an
// unknown encoding, no document element. Its text is a message for the user
// naming the file and what is wrong with it.
class EXMLTableDamaged : public EXMLTable {
public:
    using EXMLTable::EXMLTable;
};

class TXMLTable : public db::TDataSet {
public:
    // The deepest nesting of elements a file may hold; the program's own
    // files hold three levels. Deeper files are refused, since writing a
    // deeply nested document back costs memory quadratic in its depth.
    static constexpr int MaxDepth = 256;

    // (Sender, Value): the new position, or the new record count.
    using TParseEvent = std::function<void(TXMLTable& sender, int32_t value)>;

    TXMLTable();
    ~TXMLTable() override;

    // Name of the container element the table creates; empty means "XMLTable".
    const std::string& TopNodeName() const { return m_topNodeName; }
    void SetTopNodeName(std::string value) { m_topNodeName = std::move(value); }
    // Name of each new record element; empty means "Record".
    const std::string& RecordNodeName() const { return m_recordNodeName; }
    void SetRecordNodeName(std::string value) { m_recordNodeName = std::move(value); }

    // Fired by SetRecNo (with the new RecNo) and NewRecordNode (with the new
    // record count).
    TParseEvent OnPosition;

    // Replaces the document with the file's. A missing file is no error: the
    // table keeps what it has (a container element is made when there is
    // none). A file that cannot be read throws EXMLTable; one that holds no
    // table, or nests elements deeper than MaxDepth, EXMLTableDamaged (both
    // messages for the user, naming the file and the cause); either leaves
    // the table unchanged. A file declaring windows-1251, or an undeclared
    // one that is not valid UTF-8, is read as windows-1251. An open table
    // goes to its first record.
    virtual void LoadFromFile(const std::filesystem::path& fileName);
    // Appends a record element with one empty child per field and returns it.
    // The cursor stays, except that an open table that was empty goes to the
    // new record.
    virtual pugi::xml_node NewRecordNode();
    // Removes the record at `index` (0-based); nothing outside the records.
    // The cursor stays on the record it was on (on the next one when that one
    // was removed).
    virtual void DeleteNode(int index);
    // Moves the current record one place up and follows it; nothing on the
    // first record or without a current record.
    virtual void MoveUp();
    // Moves the current record one place down and follows it; nothing on the
    // last record or without a current record.
    virtual void MoveDown();
    // NewRecordNode, then the cursor goes to the new last record.
    virtual pugi::xml_node AppendRecord();
    // Removes the current record; the cursor goes to the one before it (or
    // the new first one). Nothing without a current record.
    virtual void DeleteCurrent();

    // Text of the current record's child element `fieldName`; "" when there
    // is no current record or no such element.
    std::string GetFieldValue(std::string_view fieldName) const;
    // Writes the document to `fileName` through a temporary file renamed
    // over it. Throws EXMLTable when writing fails (the old file is kept) or
    // when `fileName` is a file this table failed to load; its text is a
    // message for the user naming the file and the cause.
    void SaveToFile(const std::filesystem::path& fileName);
    // A load of `fileName` failed and it has neither loaded since nor gone.
    bool LoadFailedFor(const std::filesystem::path& fileName) const { return SaveRefused(fileName); }
    // Removes every record; the cursor goes to no record.
    virtual void ClearRecords();
    // Replaces `strings` with the `fieldName` text of every record in order
    // ("" for a record without it).
    void FillStrings(std::string_view fieldName, std::vector<std::string>& strings) const;

    // SetRecNo accepts 0..RecordCount (0 = before the first record) and
    // otherwise throws EXMLTable "SetRecNo: out of range"; then OnPosition.
    void SetRecNo(int value) override;

    // The record element at `index` (0-based), or a null node.
    pugi::xml_node RecordNode(int index) const;
    // The table is bound to a container element (after Open, LoadFromFile or
    // NewRecordNode).
    bool RecordsBound() const { return static_cast<bool>(m_container); }
    const pugi::xml_document& Document() const { return m_document; }

    // The text of `record`'s first child element named `field` (all its text
    // and CDATA children); "" when there is none.
    static std::string NodeText(pugi::xml_node record, std::string_view field);
    // Its first `maxCodePoints` code points, never copying the rest (a field
    // of a given size shown from a huge text).
    static std::string NodeText(pugi::xml_node record, std::string_view field, size_t maxCodePoints);
    // The text cut for display (text::DisplayText), read without copying
    // what is cut.
    static std::string NodeDisplayText(pugi::xml_node record, std::string_view field) {
        return text::DisplayText(NodeText(record, field, text::kDisplayCodePoints + 1));
    }
    // Sets that child's text (as StoredText gives it), appending the child
    // when the record lacks it. Nothing for a null record.
    static void SetNodeText(pugi::xml_node record, std::string_view field, std::string_view value);
    // `value` as a table keeps it: every character XML 1.0 cannot hold (a
    // control character other than tab, line feed and carriage return,
    // U+FFFE, U+FFFF) becomes U+FFFD, so that every XML tool reads the
    // files; replaced rather than dropped, so that two values differing by
    // one stay two and the place stays marked. So does every invalid UTF-8
    // sequence, which would make the next load read the whole file as
    // windows-1251. Lookups by value compare what this gives, and loaded
    // files (older ones held such characters as "&#01;") are taken so too.
    static std::string StoredText(std::string_view value);
    // StoredText(value) is `value` itself.
    static bool IsStoredAsIs(std::string_view value);
    // `record`'s first child element named `field`, or a null node.
    static pugi::xml_node FieldNode(pugi::xml_node record, std::string_view field);

protected:
    void InternalOpen() override;
    int InternalRecordCount() const override { return static_cast<int>(m_records.size()); }
    std::string InternalFieldText(int recordIndex, const db::TField& field) const override;

    // Binds the table to its document's first element, creating the
    // container when the document is empty.
    void BindRecordsList();

private:
    std::string ContainerName() const;
    void LoadDocument(const std::filesystem::path& fileName);
    void RebuildRecords();
    bool SaveRefused(const std::filesystem::path& fileName) const;

    pugi::xml_document m_document;
    pugi::xml_node m_container;
    std::vector<pugi::xml_node> m_records;  // the container's element children, in order
    std::string m_topNodeName;
    std::string m_recordNodeName;
    // Files whose load failed: never overwritten while they exist.
    std::vector<std::filesystem::path> m_failedLoads;
};

} // namespace data
