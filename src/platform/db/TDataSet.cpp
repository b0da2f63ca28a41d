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
    if (m_fieldsVersion == m_fieldDefs.Version() && !m_lookupDefsChanged) return;
    // Controls drop what they hold of the old fields before they go.
    if (!m_fields.empty()) DataEvent(TDataEvent::FieldListChange);
    m_fields.clear();
    m_fieldsByName.clear();
    for (int i = 0; i < m_fieldDefs.Count(); ++i) {
        const TFieldDef& def = m_fieldDefs.Items(i);
        m_fields.push_back(std::unique_ptr<TField>(new TField(*this, i, def.Name, def.Size, def.Required)));
    }
    for (const TLookupFieldDef& def : m_lookupDefs) {
        auto field = std::unique_ptr<TField>(
            new TField(*this, static_cast<int>(m_fields.size()), def.Name, def.Size, false));
        field->m_kind = TFieldKind::fkLookup;
        field->m_keyFields = def.KeyFields;
        field->m_lookupDataSet = def.LookupDataSet;
        field->m_lookupKeyFields = def.LookupKeyFields;
        field->m_lookupResultField = def.LookupResultField;
        m_fields.push_back(std::move(field));
    }
    // The first of two fields of one name wins, as a search from the start would.
    for (const auto& field : m_fields) m_fieldsByName.emplace(text::AsciiLower(field->FieldName()), field.get());
    m_fieldsVersion = m_fieldDefs.Version();
    m_lookupDefsChanged = false;
}

void TDataSet::AddLookupField(TLookupFieldDef def) {
    if (Active()) throw EDatabaseError("Cannot perform this operation on an open dataset");
    UpdateFieldDefs();
    const bool taken = m_fieldDefs.IndexOf(def.Name) >= 0 ||
                       std::any_of(m_lookupDefs.begin(), m_lookupDefs.end(),
                                   [&](const TLookupFieldDef& d) { return text::SameTextAscii(d.Name, def.Name); });
    if (taken) throw EDatabaseError("Duplicate field name '" + def.Name + "'");
    m_lookupDefs.push_back(std::move(def));
    m_lookupDefsChanged = true;
}

TField& TDataSet::Fields(int index) const {
    if (index < 0 || index >= FieldCount())
        throw EDatabaseError("List index out of bounds (" + std::to_string(index) + ")");
    return *m_fields[static_cast<size_t>(index)];
}

TField* TDataSet::FindField(std::string_view name) const {
    const auto it = m_fieldsByName.find(text::AsciiLower(name));
    return it == m_fieldsByName.end() ? nullptr : it->second;
}

std::vector<TField*> TDataSet::GetFieldList(std::string_view fieldNames) const {
    std::vector<TField*> fields;
    while (!fieldNames.empty()) {
        const size_t end = std::min(fieldNames.find(';'), fieldNames.size());
        fields.push_back(FindField(text::Trim(fieldNames.substr(0, end))));
        fieldNames.remove_prefix(std::min(end + 1, fieldNames.size()));
    }
    return fields;
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
    if (field.Lookup()) return TextAt(recordIndex, field);
    if (m_state == TDataSetState::dsEdit && recordIndex == m_editIndex)
        return m_editBuffer[static_cast<size_t>(field.m_slot)];
    return CutToSize(InternalFieldText(recordIndex, field), field.Size());
}

namespace {

// The fields of `dataSet` named in a ";" list; nullptr for a missing one or
// a lookup field (a lookup is never followed through another, so no chain
// of lookups can lead round in a circle).
std::vector<TField*> DataFieldsNamed(const TDataSet& dataSet, std::string_view names) {
    std::vector<TField*> fields = dataSet.GetFieldList(names);
    for (TField*& field : fields)
        if (field && field->Lookup()) field = nullptr;
    return fields;
}

bool AllFound(const std::vector<TField*>& fields) {
    return !fields.empty() && std::find(fields.begin(), fields.end(), nullptr) == fields.end();
}

} // namespace

std::string TDataSet::TextAt(int recordIndex, const TField& field) const {
    if (!field.Lookup()) return recordIndex == kCurrentRecord ? CurrentText(field) : FieldText(recordIndex, field);
    std::vector<std::string> keys;
    for (const TField* key : KeyFieldsOf(field)) {
        if (!key) return {};
        keys.push_back(TextAt(recordIndex, *key));
    }
    return LookupText(field, keys);
}

std::vector<TField*> TDataSet::KeyFieldsOf(const TField& lookup) const {
    return DataFieldsNamed(*this, lookup.KeyFields());
}

std::string TDataSet::LookupText(const TField& lookup, const std::vector<std::string>& keys) const {
    const TDataSet* source = lookup.LookupDataSet();
    if (!source || !source->Active()) return {};
    const std::vector<TField*> lookupKeys = DataFieldsNamed(*source, lookup.LookupKeyFields());
    const std::vector<TField*> result = DataFieldsNamed(*source, lookup.LookupResultField());
    if (result.size() != 1 || !AllFound(result) || !AllFound(lookupKeys) || lookupKeys.size() != keys.size())
        return {};
    const int count = source->RecordCount();
    for (int i = 0; i < count; ++i) {
        bool match = true;
        for (size_t k = 0; k < keys.size() && match; ++k) match = source->FieldText(i, *lookupKeys[k]) == keys[k];
        if (match) return CutToSize(source->FieldText(i, *result[0]), lookup.Size());
    }
    return {};
}

int TDataSet::LookupRecordOf(const TField& lookup, std::string_view result) const {
    const TDataSet* source = lookup.LookupDataSet();
    if (!source || !source->Active()) return -1;
    const std::vector<TField*> fields = DataFieldsNamed(*source, lookup.LookupResultField());
    if (fields.size() != 1 || !AllFound(fields)) return -1;
    const int count = source->RecordCount();
    for (int i = 0; i < count; ++i)
        if (CutToSize(source->FieldText(i, *fields[0]), lookup.Size()) == result) return i;
    return -1;
}

bool TDataSet::LookupKeysModifiable(const TField& lookup) const {
    const std::vector<TField*> keys = KeyFieldsOf(lookup);
    return AllFound(keys) && std::none_of(keys.begin(), keys.end(), [](const TField* key) { return key->ReadOnly(); });
}

bool TDataSet::HasCurrentRecord() const {
    if (m_drawing && m_drawingRecord != kCurrentRecord) return m_drawingRecord < RecordCount();
    return IsEditing(m_state) || (Active() && m_recNo >= 1 && m_recNo <= RecordCount());
}

std::string TDataSet::CurrentText(const TField& field) const {
    if (m_drawing && m_drawingRecord != kCurrentRecord) return FieldText(m_drawingRecord, field);
    if (field.Lookup()) return HasCurrentRecord() ? TextAt(kCurrentRecord, field) : std::string();
    if (IsEditing(m_state)) return m_editBuffer[static_cast<size_t>(field.m_slot)];
    if (!Active() || m_recNo < 1) return {};
    return FieldText(m_recNo - 1, field);
}

void TDataSet::SetCurrentText(TField& field, std::string_view value) {
    // A handler of a drawn record would write another record than it reads.
    if (m_drawing) throw EDatabaseError("Cannot modify a record while it is being drawn");
    if (!IsEditing(m_state)) throw EDatabaseError("Dataset not in edit or insert mode");
    if (field.ReadOnly()) throw EDatabaseError("Field '" + field.FieldName() + "' cannot be modified");
    if (!field.Lookup()) {
        m_editBuffer[static_cast<size_t>(field.m_slot)] = CutToSize(std::string(value), field.Size());
        m_modified = true;
        DataEvent(TDataEvent::RecordChange, 0, &field);
        return;
    }
    // A lookup field is written through its keys: those of the lookup
    // record showing `value`, or none for "".
    if (!LookupKeysModifiable(field)) throw EDatabaseError("Field '" + field.FieldName() + "' cannot be modified");
    // The keys in place already show `value` (two lookup records may show
    // one text): they stay.
    if (!value.empty() && CurrentText(field) == value) return;
    const std::vector<TField*> keys = KeyFieldsOf(field);
    std::vector<std::string> texts(keys.size());
    if (!value.empty()) {
        const int record = LookupRecordOf(field, value);
        const std::vector<TField*> lookupKeys =
            record < 0 ? std::vector<TField*>{} : DataFieldsNamed(*field.LookupDataSet(), field.LookupKeyFields());
        if (record < 0 || lookupKeys.size() != keys.size() || !AllFound(lookupKeys))
            throw EDatabaseError("'" + std::string(value) + "' is not a valid value for field '" + field.FieldName() +
                                 "'");
        for (size_t k = 0; k < keys.size(); ++k) texts[k] = field.LookupDataSet()->FieldText(record, *lookupKeys[k]);
    }
    for (size_t k = 0; k < keys.size(); ++k) SetCurrentText(*keys[k], texts[k]);
    DataEvent(TDataEvent::RecordChange, 0, &field);
}

TDataSet::TDrawingRecord::TDrawingRecord(TDataSet& dataSet, int recordIndex)
    : m_dataSet(dataSet), m_previous(dataSet.m_drawingRecord), m_previousSet(dataSet.m_drawing) {
    m_dataSet.m_drawingRecord = recordIndex < 0 ? kCurrentRecord : recordIndex;
    m_dataSet.m_drawing = true;
}

TDataSet::TDrawingRecord::~TDrawingRecord() {
    m_dataSet.m_drawingRecord = m_previous;
    m_dataSet.m_drawing = m_previousSet;
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
            if (!field->Lookup()) m_editBuffer[static_cast<size_t>(field->m_slot)] = FieldText(recordIndex, *field);
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
    // Requests and the notice of fields going away are never held back.
    const bool always = event == TDataEvent::UpdateRecord || event == TDataEvent::FocusControl ||
                        event == TDataEvent::FieldListChange;
    if (!always && m_disableCount > 0) {
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
        case TDataEvent::FieldChange: source->FieldChanged(*field); break;
        case TDataEvent::FocusControl:
            // The first control that takes the field ends the request.
            if (!field) return;
            source->FocusControl(field);
            break;
        case TDataEvent::FieldListChange: source->FieldListChanging(); break;
        }
    }
}

void TDataSet::AddDataSource(TDataSource* source) { m_sources.push_back(source); }

void TDataSet::RemoveDataSource(TDataSource* source) {
    m_sources.erase(std::remove(m_sources.begin(), m_sources.end(), source), m_sources.end());
}

} // namespace db
