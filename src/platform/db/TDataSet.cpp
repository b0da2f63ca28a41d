#include "platform/db/TDataSet.h"

#include "platform/Text.h"
#include "platform/db/TDataSource.h"
#include "platform/db/TField.h"

#include <algorithm>

namespace db {
namespace {

bool IsEditing(TDataSetState state) {
    return state == TDataSetState::dsEdit || state == TDataSetState::dsInsert;
}

// Cuts a text to `size` code points, as a string field of that size holds it.
std::string CutToSize(std::string text, int size) {
    if (size > 0 && text.size() > static_cast<size_t>(size)) {
        const auto cut = text::TakeCodePoints(text, static_cast<size_t>(size));
        if (cut.size() < text.size()) text.resize(cut.size());
    }
    return text;
}

} // namespace

TDataSet::TDataSet() = default;

TDataSet::~TDataSet() {
    // Sources let go first, so their links hear of it while the fields exist.
    while (!m_sources.empty()) m_sources.back()->SetDataSet(nullptr);
}

void TDataSet::Open() {
    if (Active()) return;
    UpdateFieldDefs();
    BuildFields();
    InternalOpen();
    m_state = TDataSetState::dsBrowse;
    const int count = RecordCount();
    m_recNo = count > 0 ? 1 : 0;
    m_bof = true;
    m_eof = count == 0;
    m_modified = false;
    DataEvent(TDataEvent::UpdateState);
}

void TDataSet::Close() {
    if (!Active()) return;
    m_editBuffer.clear();
    m_editIndex = -1;
    m_modified = false;
    InternalClose();
    m_state = TDataSetState::dsInactive;
    m_recNo = 0;
    m_bof = m_eof = true;
    DataEvent(TDataEvent::UpdateState);
}

void TDataSet::UpdateFieldDefs() {
    if (m_fieldDefs.Count() == 0) InitFieldDefs();
}

void TDataSet::BuildFields() {
    if (m_fieldsVersion == m_fieldDefs.Version()) return;
    m_fields.clear();
    for (int i = 0; i < m_fieldDefs.Count(); ++i) {
        const TFieldDef& def = m_fieldDefs.Items(i);
        m_fields.push_back(std::unique_ptr<TField>(new TField(*this, i, def.Name, def.Size, def.Required)));
    }
    m_fieldsVersion = m_fieldDefs.Version();
}

TField& TDataSet::Fields(int index) const {
    if (index < 0 || index >= FieldCount())
        throw EDatabaseError("List index out of bounds (" + std::to_string(index) + ")");
    return *m_fields[static_cast<size_t>(index)];
}

TField* TDataSet::FindField(std::string_view name) const {
    for (const auto& field : m_fields)
        if (text::SameTextAscii(field->FieldName(), name)) return field.get();
    return nullptr;
}

TField& TDataSet::FieldByName(std::string_view name) const {
    if (TField* field = FindField(name)) return *field;
    throw EDatabaseError("Field '" + std::string(name) + "' not found");
}

void TDataSet::CheckActive() const {
    if (!Active()) throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckModifiable() const {
    if (!GetCanModify()) throw EDatabaseError("Cannot modify a read-only dataset");
}

void TDataSet::SetRecNo(int value) {
    CheckActive();
    CheckBrowseMode();
    const int count = RecordCount();
    if (value < 0 || value > count) throw EDatabaseError("Record number out of range");
    MoveTo(value, value == 0, count == 0);
}

void TDataSet::First() {
    CheckActive();
    CheckBrowseMode();
    const int count = RecordCount();
    MoveTo(count > 0 ? 1 : 0, true, count == 0);
}

void TDataSet::Last() {
    CheckActive();
    CheckBrowseMode();
    const int count = RecordCount();
    MoveTo(count, count == 0, true);
}

int TDataSet::MoveBy(int distance) {
    CheckActive();
    CheckBrowseMode();
    if (distance == 0) return 0;
    const int count = RecordCount();
    if (distance > 0) {
        const int step = std::min(distance, count - m_recNo);
        MoveTo(m_recNo + step, step > 0 ? false : m_bof, step < distance);
        return step;
    }
    const int step = std::min(-distance, std::max(m_recNo - 1, 0));
    MoveTo(m_recNo - step, step < -distance, step > 0 ? false : m_eof);
    return -step;
}

void TDataSet::MoveTo(int recNo, bool bof, bool eof) {
    const int old = m_recNo;
    m_recNo = recNo;
    m_bof = bof;
    m_eof = eof;
    if (recNo != old) DataEvent(TDataEvent::DataSetScroll, recNo - old);
}

std::string TDataSet::FieldText(int recordIndex, int fieldIndex) const {
    if (fieldIndex < 0 || fieldIndex >= FieldCount()) return {};
    return FieldText(recordIndex, *m_fields[static_cast<size_t>(fieldIndex)]);
}

std::string TDataSet::FieldText(int recordIndex, const TField& field) const {
    if (recordIndex < 0 || recordIndex >= RecordCount()) return {};
    if (m_state == TDataSetState::dsEdit && recordIndex == m_editIndex)
        return m_editBuffer[static_cast<size_t>(field.m_slot)];
    return CutToSize(InternalFieldText(recordIndex, field), field.Size());
}

bool TDataSet::HasCurrentRecord() const {
    return IsEditing(m_state) || (Active() && m_recNo >= 1 && m_recNo <= RecordCount());
}

std::string TDataSet::CurrentText(const TField& field) const {
    if (IsEditing(m_state)) return m_editBuffer[static_cast<size_t>(field.m_slot)];
    if (!Active() || m_recNo < 1) return {};
    return FieldText(m_recNo - 1, field);
}

void TDataSet::SetCurrentText(TField& field, std::string_view value) {
    if (!IsEditing(m_state)) throw EDatabaseError("Dataset not in edit or insert mode");
    if (field.ReadOnly()) throw EDatabaseError("Field '" + field.FieldName() + "' cannot be modified");
    m_editBuffer[static_cast<size_t>(field.m_slot)] = CutToSize(std::string(value), field.Size());
    m_modified = true;
    DataEvent(TDataEvent::RecordChange, 0, &field);
}

const std::string& TDataSet::PendingText(const TField& field) const {
    static const std::string empty;
    if (!IsEditing(m_state)) return empty;
    return m_editBuffer[static_cast<size_t>(field.m_slot)];
}

void TDataSet::SetState(TDataSetState state) {
    if (state == m_state) return;
    m_state = state;
    DataEvent(TDataEvent::UpdateState);
}

void TDataSet::StartEdit(TDataSetState state, int recordIndex) {
    m_editBuffer.assign(m_fields.size(), std::string());
    if (state == TDataSetState::dsEdit)
        for (const auto& field : m_fields)
            m_editBuffer[static_cast<size_t>(field->m_slot)] = FieldText(recordIndex, *field);
    m_editIndex = recordIndex;
    m_modified = false;
    SetState(state);
}

void TDataSet::Edit() {
    if (IsEditing(m_state)) return;
    CheckActive();
    CheckModifiable();
    if (RecordCount() == 0) {
        Insert();
        return;
    }
    if (m_recNo < 1) throw EDatabaseError("No current record");
    StartEdit(TDataSetState::dsEdit, m_recNo - 1);
}

void TDataSet::Insert() {
    CheckActive();
    CheckBrowseMode();
    CheckModifiable();
    StartEdit(TDataSetState::dsInsert, m_recNo > 0 ? m_recNo - 1 : 0);
}

void TDataSet::Append() {
    CheckActive();
    CheckBrowseMode();
    CheckModifiable();
    StartEdit(TDataSetState::dsInsert, RecordCount());
}

void TDataSet::Post() {
    CheckActive();
    if (!IsEditing(m_state)) throw EDatabaseError("Dataset not in edit or insert mode");
    UpdateRecord();
    InternalPost(m_editIndex, m_state == TDataSetState::dsInsert);
    const int recNo = std::clamp(m_editIndex + 1, 0, RecordCount());
    m_editBuffer.clear();
    m_editIndex = -1;
    m_modified = false;
    m_recNo = recNo;
    m_bof = m_eof = false;
    SetState(TDataSetState::dsBrowse);
    DataEvent(TDataEvent::DataSetChange);
}

void TDataSet::Cancel() {
    if (!IsEditing(m_state)) return;
    m_editBuffer.clear();
    m_editIndex = -1;
    m_modified = false;
    SetState(TDataSetState::dsBrowse);
    DataEvent(TDataEvent::DataSetChange);
}

void TDataSet::Delete() {
    CheckActive();
    if (m_state == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    CheckModifiable();
    if (RecordCount() == 0) throw EDatabaseError("Cannot perform this operation on an empty dataset");
    if (m_recNo < 1) throw EDatabaseError("No current record");
    m_editBuffer.clear();
    m_editIndex = -1;
    m_modified = false;
    SetState(TDataSetState::dsBrowse);
    InternalDelete(m_recNo - 1);
    const int count = RecordCount();
    m_recNo = std::min(m_recNo, count);
    m_bof = m_eof = count == 0;
    DataEvent(TDataEvent::DataSetChange);
}

void TDataSet::CheckBrowseMode() {
    if (!IsEditing(m_state)) return;
    UpdateRecord();
    if (m_modified)
        Post();
    else
        Cancel();
}

void TDataSet::UpdateRecord() {
    if (!IsEditing(m_state)) throw EDatabaseError("Dataset not in edit or insert mode");
    DataEvent(TDataEvent::UpdateRecord);
}

// A dataset that answers GetCanModify must store its own records.
void TDataSet::InternalPost(int, bool) { throw EDatabaseError("Cannot modify a read-only dataset"); }

void TDataSet::InternalDelete(int) { throw EDatabaseError("Cannot modify a read-only dataset"); }

void TDataSet::RecordsChanged(int recNo) {
    if (!Active()) return;
    if (IsEditing(m_state)) {
        m_editBuffer.clear();
        m_editIndex = -1;
        m_modified = false;
        SetState(TDataSetState::dsBrowse);
    }
    const int count = RecordCount();
    m_recNo = std::clamp(recNo, 0, count);
    m_bof = m_recNo <= 1;
    m_eof = count == 0;
    DataEvent(TDataEvent::DataSetChange);
}

TBookmark TDataSet::GetBookmark() const {
    if (!Active() || m_recNo < 1) return {};
    return TBookmark{m_recNo - 1};
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
    if (bookmark.IsNull()) return;
    CheckActive();
    CheckBrowseMode();
    if (!BookmarkValid(bookmark)) throw EDatabaseError("Record not found");
    MoveTo(bookmark.index + 1, false, false);
}

bool TDataSet::BookmarkValid(const TBookmark& bookmark) const {
    return !bookmark.IsNull() && bookmark.index < RecordCount();
}

int TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
    const auto order = a <=> b;
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

void TDataSet::EnableControls() {
    if (m_disableCount == 0) return;
    if (--m_disableCount > 0) return;
    const bool pending = m_pendingChange;
    m_pendingChange = false;
    DataEvent(TDataEvent::UpdateState);
    if (pending && Active()) DataEvent(TDataEvent::DataSetChange);
}

void TDataSet::FieldIndexChanged(TField& field, int newIndex) {
    const auto it = std::find_if(m_fields.begin(), m_fields.end(),
                                 [&](const auto& f) { return f.get() == &field; });
    if (it == m_fields.end()) return;
    const int oldIndex = static_cast<int>(it - m_fields.begin());
    newIndex = std::clamp(newIndex, 0, FieldCount() - 1);
    if (newIndex == oldIndex) return;
    std::unique_ptr<TField> moved = std::move(*it);
    m_fields.erase(it);
    m_fields.insert(m_fields.begin() + newIndex, std::move(moved));
    DataEvent(TDataEvent::LayoutChange);
}

void TDataSet::DataEvent(TDataEvent event, int distance, TField* field) {
    if (m_sources.empty()) return;
    if (event != TDataEvent::UpdateRecord && m_disableCount > 0) {
        m_pendingChange = true;
        return;
    }
    // A handler may detach a source; each one is checked before it is called.
    const std::vector<TDataSource*> sources = m_sources;
    for (TDataSource* source : sources) {
        if (std::find(m_sources.begin(), m_sources.end(), source) == m_sources.end()) continue;
        switch (event) {
        case TDataEvent::UpdateState: source->UpdateState(); break;
        case TDataEvent::DataSetChange: source->DataSetChanged(); break;
        case TDataEvent::DataSetScroll: source->DataSetScrolled(distance); break;
        case TDataEvent::RecordChange: source->RecordChanged(field); break;
        case TDataEvent::LayoutChange: source->LayoutChanged(); break;
        case TDataEvent::UpdateRecord: source->UpdateData(); break;
        }
    }
}

void TDataSet::AddDataSource(TDataSource* source) { m_sources.push_back(source); }

void TDataSet::RemoveDataSource(TDataSource* source) {
    m_sources.erase(std::remove(m_sources.begin(), m_sources.end(), source), m_sources.end());
}

} // namespace db
