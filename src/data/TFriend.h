#pragma once
// A table of member profiles: the favourites ("Friends.xml"), the ignored
// profiles ("Ignore.xml"), the profiles a search found ("LoadedFriends.xml")
// and the search's in-memory candidates. Container "Friends", record
// "Friend", twelve text fields (see FriendTables.h).
//
// Lookups by login and by address answer from an index kept up to date by
// every operation of this table that adds, removes, moves or rewrites a
// record; their result is always the first matching record in table order.
// The index cannot see a Login or URL written straight into a field element
// (SetNodeText on a row of this table): rewrite rows through UpdateFriend.

#include "data/TFieldValueIndex.h"
#include "data/TFriendRecord.h"
#include "data/TXMLTable.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace data {

// What MergeFrom compares to tell whether the target already has a row.
enum class TMergeMode { ByURL, ByLogin };

class TFriend : public TXMLTable {
public:
    TFriend();
    ~TFriend() override;

    // The file's name without folder, for Load and Save; empty = no file.
    const std::string& FileName() const { return m_fileName; }
    void SetFileName(std::string value) { m_fileName = std::move(value); }
    // The file's folder; blank means the data folder. Either "/" or "\"
    // separates its parts; a relative one is taken from the data folder.
    const std::string& LocalDir() const { return m_localDir; }
    void SetLocalDir(std::string value) { m_localDir = std::move(value); }

    // The `URL` element of the first row whose address equals `URL`, letters
    // A-Z folded (other characters compared as they are); a null node when
    // none does.
    virtual pugi::xml_node FindByURL(std::string_view URL) const;
    // Appends a row: the texts as given, the numbers in decimal, NewMessage
    // "0". Returns its record element.
    virtual pugi::xml_node AddFriend(std::string_view Name, std::string_view Login, std::string_view URL,
                                     std::string_view Area, int32_t Age, int32_t RealUser, int32_t VipUser,
                                     int32_t PhotoCount, int32_t VideoCount, int32_t Intim,
                                     std::string_view AgeRange);
    // AddFriend with the values of `record`.
    virtual pugi::xml_node AddFriendRecord(const TFriendRecord& record);
    // Appends a row whose every field is copied from the current record of
    // `source` ("" for a field `source` lacks, or without a current record).
    virtual pugi::xml_node AddFromCurrent(const TXMLTable& source);
    // The same from `source`'s record at `index` (0-based); nothing (a null
    // node) for an index outside its records.
    virtual pugi::xml_node AddFromRecordAt(const TXMLTable& source, int index);
    // Rewrites the eleven fields of the row at `index` (NewMessage stays);
    // nothing for an index outside the records.
    virtual void UpdateFriend(int index, std::string_view Name, std::string_view Login, std::string_view URL,
                              std::string_view Area, int32_t Age, int32_t RealUser, int32_t VipUser,
                              int32_t PhotoCount, int32_t VideoCount, int32_t Intim, std::string_view AgeRange);
    // Removes the row at `index`; nothing outside the records.
    virtual void DeleteFriend(int index);
    // MergeFrom(target, ByURL) / MergeFrom(target, ByLogin).
    virtual void MergeByURL(TFriend& target) const;
    virtual void MergeByLogin(TFriend& target) const;
    // Appends to `target` every row of this table that `target` does not have
    // (by address, or by login; a row without login is always appended).
    // A number field that is missing or empty arrives as -1, one that holds
    // no number as 0; NewMessage is "0".
    virtual void MergeFrom(TFriend& target, TMergeMode mode) const;
    // Reads the table from FilePath(): a missing file gives an empty table;
    // a damaged one throws EXMLTable and leaves the table as it was. Without
    // FileName the table is just emptied.
    virtual void Load();
    // Writes the table to FilePath(); nothing without FileName. Throws
    // EXMLTable when writing fails or the file is one that failed to load.
    virtual void Save();
    // Save after rows were appended from `firstAdded` (0-based) on. When it
    // fails, those rows are taken out again before the error passes on, so
    // that the table shows no row its file does not hold.
    void SaveAppended(int firstAdded);

    // The `Login` element of the first row whose login equals `Login`,
    // letters A-Z folded; a null node for an empty login or when none does.
    pugi::xml_node FindByLogin(std::string_view Login) const;
    // The file Load and Save use: LocalDir (or the data folder) and
    // FileName; empty without FileName.
    std::filesystem::path FilePath() const;

    // The row of `table` at `index` in plain form: texts as stored ("" when
    // missing), numbers from their decimal text (0 when missing, empty or not
    // a number). An index outside the records gives an empty row.
    static TFriendRecord ReadRecord(const TXMLTable& table, int index);

    // The element operations, keeping the lookup index in step.
    void LoadFromFile(const std::filesystem::path& fileName) override;
    pugi::xml_node NewRecordNode() override;
    void DeleteNode(int index) override;
    void MoveUp() override;
    void MoveDown() override;
    void DeleteCurrent() override;
    void ClearRecords() override;

protected:
    // The twelve profile fields, in file order.
    void InitFieldDefs() override;

private:
    pugi::xml_node Find(size_t field, std::string_view value) const;
    void WriteFields(pugi::xml_node record, std::string_view Name, std::string_view Login, std::string_view URL,
                     std::string_view Area, int32_t Age, int32_t RealUser, int32_t VipUser, int32_t PhotoCount,
                     int32_t VideoCount, int32_t Intim, std::string_view AgeRange);

    std::string m_fileName;
    std::string m_localDir;
    // Rebuilt on demand when it has fallen out of step, hence mutable.
    mutable TFieldValueIndex m_index;
};

} // namespace data
