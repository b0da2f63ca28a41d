#include "data/TFriend.h"

#include "data/FriendTables.h"
#include "platform/ProgramDir.h"
#include "platform/Text.h"

#include <algorithm>
#include <array>
#include <system_error>

namespace data {
namespace {

// The fields the lookup index covers, in its field numbering.
constexpr size_t kLoginField = 0;
constexpr size_t kUrlField = 1;
constexpr std::array<std::string_view, 2> kIndexedFields = {"Login", "URL"};

// A stored number as a checker reads it: 0 for a missing or empty field and
// for text that is no number (a hand-edited file).
int32_t StoredNumber(pugi::xml_node record, std::string_view field) {
    return text::StrToIntDef(TXMLTable::NodeText(record, field), 0);
}

// A number as a merge carries it over: -1 marks a field the row did not have.
int32_t MergedNumber(pugi::xml_node record, std::string_view field) {
    const std::string value = TXMLTable::NodeText(record, field);
    return value.empty() ? -1 : text::StrToIntDef(value, 0);
}

} // namespace

TFriend::TFriend() : m_index({std::string(kIndexedFields[kLoginField]), std::string(kIndexedFields[kUrlField])}) {
    SetTopNodeName("Friends");
    SetRecordNodeName("Friend");
}

TFriend::~TFriend() = default;

void TFriend::InitFieldDefs() {
    for (const TFriendFieldSpec& field : FriendFields) FieldDefs().Add(std::string(field.Name), field.Size, true);
}

pugi::xml_node TFriend::Find(size_t field, std::string_view value) const {
    // A lookup made while the table tells its controls of a new row, before
    // the index has heard of it, finds the counts differing and reads the
    // table again.
    if (m_index.Count() != static_cast<size_t>(RecordCount())) m_index.Rebuild(*this);
    if (!IsStoredAsIs(value)) return m_index.Find(field, StoredText(value));
    return m_index.Find(field, value);
}

pugi::xml_node TFriend::FindByURL(std::string_view URL) const { return Find(kUrlField, URL); }

pugi::xml_node TFriend::FindByLogin(std::string_view Login) const {
    if (Login.empty()) return {};
    return Find(kLoginField, Login);
}

void TFriend::WriteFields(pugi::xml_node record, std::string_view Name, std::string_view Login, std::string_view URL,
                          std::string_view Area, int32_t Age, int32_t RealUser, int32_t VipUser, int32_t PhotoCount,
                          int32_t VideoCount, int32_t Intim, std::string_view AgeRange) {
    SetNodeText(record, "Name", Name);
    SetNodeText(record, "Login", Login);
    SetNodeText(record, "URL", URL);
    SetNodeText(record, "Area", Area);
    SetNodeText(record, "Age", std::to_string(Age));
    SetNodeText(record, "RealUser", std::to_string(RealUser));
    SetNodeText(record, "VipUser", std::to_string(VipUser));
    SetNodeText(record, "PhotoCount", std::to_string(PhotoCount));
    SetNodeText(record, "VideoCount", std::to_string(VideoCount));
    SetNodeText(record, "Intim", std::to_string(Intim));
    SetNodeText(record, "AgeRange", AgeRange);
}

pugi::xml_node TFriend::AddFriend(std::string_view Name, std::string_view Login, std::string_view URL,
                                  std::string_view Area, int32_t Age, int32_t RealUser, int32_t VipUser,
                                  int32_t PhotoCount, int32_t VideoCount, int32_t Intim, std::string_view AgeRange) {
    // The row is indexed once, filled, rather than empty and then again.
    const pugi::xml_node record = TXMLTable::NewRecordNode();
    WriteFields(record, Name, Login, URL, Area, Age, RealUser, VipUser, PhotoCount, VideoCount, Intim, AgeRange);
    SetNodeText(record, "NewMessage", "0");
    m_index.Appended(record);
    return record;
}

pugi::xml_node TFriend::AddFriendRecord(const TFriendRecord& r) {
    return AddFriend(r.Name, r.Login, r.URL, r.Area, r.Age, r.RealUser, r.VipUser, r.PhotoCount, r.VideoCount, r.Intim,
                     r.AgeRange);
}

pugi::xml_node TFriend::AddFromCurrent(const TXMLTable& source) {
    const pugi::xml_node record = NewRecordNode();
    for (int i = 0; i < FieldDefs().Count(); ++i) {
        const std::string& name = FieldDefs().Items(i).Name;
        SetNodeText(record, name, source.GetFieldValue(name));
    }
    m_index.Changed(record);
    return record;
}

pugi::xml_node TFriend::AddFromRecordAt(const TXMLTable& source, int index) {
    // Node handles stay valid while records are appended, so copying a row
    // of this very table is safe.
    const pugi::xml_node from = source.RecordNode(index);
    if (!from) return {};
    const pugi::xml_node record = NewRecordNode();
    for (int i = 0; i < FieldDefs().Count(); ++i) {
        const std::string& name = FieldDefs().Items(i).Name;
        SetNodeText(record, name, NodeText(from, name));
    }
    m_index.Changed(record);
    return record;
}

void TFriend::UpdateFriend(int index, std::string_view Name, std::string_view Login, std::string_view URL,
                           std::string_view Area, int32_t Age, int32_t RealUser, int32_t VipUser, int32_t PhotoCount,
                           int32_t VideoCount, int32_t Intim, std::string_view AgeRange) {
    const pugi::xml_node record = RecordNode(index);
    if (!record) return;
    WriteFields(record, Name, Login, URL, Area, Age, RealUser, VipUser, PhotoCount, VideoCount, Intim, AgeRange);
    m_index.Changed(record);
}

void TFriend::DeleteFriend(int index) { DeleteNode(index); }

void TFriend::MergeByURL(TFriend& target) const { MergeFrom(target, TMergeMode::ByURL); }

void TFriend::MergeByLogin(TFriend& target) const { MergeFrom(target, TMergeMode::ByLogin); }

void TFriend::MergeFrom(TFriend& target, TMergeMode mode) const {
    // Rows this merge appends are looked up too, so a profile listed twice
    // arrives once. The count is taken first, so that merging a table into
    // itself ends.
    const int count = RecordCount();
    for (int i = 0; i < count; ++i) {
        const pugi::xml_node record = RecordNode(i);
        const std::string login = NodeText(record, "Login");
        const std::string url = NodeText(record, "URL");
        const bool found = mode == TMergeMode::ByURL ? static_cast<bool>(target.FindByURL(url))
                                                     : !login.empty() && target.FindByLogin(login);
        if (found) continue;
        target.AddFriend(NodeText(record, "Name"), login, url, NodeText(record, "Area"), MergedNumber(record, "Age"),
                         MergedNumber(record, "RealUser"), MergedNumber(record, "VipUser"),
                         MergedNumber(record, "PhotoCount"), MergedNumber(record, "VideoCount"),
                         MergedNumber(record, "Intim"), NodeText(record, "AgeRange"));
    }
}

std::filesystem::path TFriend::FilePath() const {
    if (m_fileName.empty()) return {};
    std::string dir(text::TrimRight(m_localDir));
    if (dir.empty()) return platform::ProgramDir() / m_fileName;
    // Folders written on Windows ("D:\Знакомства\", "data\anna") name the
    // same place with "/".
    std::replace(dir.begin(), dir.end(), '\\', '/');
    std::filesystem::path folder(dir);
    if (folder.is_relative()) folder = platform::ProgramDir() / folder;
    return folder / m_fileName;
}

void TFriend::Load() {
    if (m_fileName.empty()) {
        ClearRecords();
        return;
    }
    const std::filesystem::path path = FilePath();
    // A missing file empties the table; an existing one replaces it only
    // when it loads, so a damaged file leaves the rows in memory as they were.
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec) ClearRecords();
    LoadFromFile(path);
}

void TFriend::Save() {
    if (m_fileName.empty()) return;
    SaveToFile(FilePath());
}

void TFriend::SaveAppended(int firstAdded) {
    try {
        Save();
    } catch (...) {
        while (RecordCount() > std::max(firstAdded, 0)) DeleteNode(RecordCount() - 1);
        throw;
    }
}

TFriendRecord TFriend::ReadRecord(const TXMLTable& table, int index) {
    TFriendRecord out;
    const pugi::xml_node record = table.RecordNode(index);
    if (!record) return out;
    out.Name = NodeText(record, "Name");
    out.Login = NodeText(record, "Login");
    out.URL = NodeText(record, "URL");
    out.Area = NodeText(record, "Area");
    out.Age = StoredNumber(record, "Age");
    out.RealUser = StoredNumber(record, "RealUser");
    out.VipUser = StoredNumber(record, "VipUser");
    out.PhotoCount = StoredNumber(record, "PhotoCount");
    out.VideoCount = StoredNumber(record, "VideoCount");
    out.Intim = StoredNumber(record, "Intim");
    out.AgeRange = NodeText(record, "AgeRange");
    return out;
}

void TFriend::LoadFromFile(const std::filesystem::path& fileName) {
    // The old document's nodes die with a successful load, so the index lets
    // go of them first; a failed load keeps the document, and the index is
    // made again from it.
    m_index.Clear();
    try {
        TXMLTable::LoadFromFile(fileName);
    } catch (...) {
        m_index.Rebuild(*this);
        throw;
    }
    m_index.Rebuild(*this);
}

pugi::xml_node TFriend::NewRecordNode() {
    const pugi::xml_node record = TXMLTable::NewRecordNode();
    m_index.Appended(record);
    return record;
}

void TFriend::DeleteNode(int index) {
    if (const pugi::xml_node record = RecordNode(index)) m_index.Removed(record);
    TXMLTable::DeleteNode(index);
}

void TFriend::MoveUp() {
    const int recNo = RecNo();
    if (recNo > 1 && recNo <= RecordCount()) m_index.Swapped(RecordNode(recNo - 2), RecordNode(recNo - 1));
    TXMLTable::MoveUp();
}

void TFriend::MoveDown() {
    const int recNo = RecNo();
    if (recNo >= 1 && recNo < RecordCount()) m_index.Swapped(RecordNode(recNo - 1), RecordNode(recNo));
    TXMLTable::MoveDown();
}

void TFriend::DeleteCurrent() {
    if (const pugi::xml_node record = RecordNode(RecNo() - 1)) m_index.Removed(record);
    TXMLTable::DeleteCurrent();
}

void TFriend::ClearRecords() {
    m_index.Clear();
    TXMLTable::ClearRecords();
}

} // namespace data
