#pragma once
// The dataset base: fields, a record cursor, browse/edit/insert state,
// bookmarks and the notifications that keep data-aware controls in step.
//
// The model is random access. A concrete dataset tells its record count and
// the text of any record's field; the base keeps the cursor as a record
// number (RecNo, 1-based; 0 = no current record) and never buffers rows.
// Painting controls read rows by index through FieldText without moving the
// cursor. Cursor rules follow the framework: First sets Bof, Last sets Eof,
// a step that cannot move sets Bof or Eof, any move clears both.
//
// Controls hear of changes through TDataSource and TDataLink. DisableControls
// holds every notification back; the last EnableControls sends what is due
// (active and editing changes, then one data-set change).
//
// A control that draws several records (a grid) makes each one in turn the
// record being drawn (TDrawingRecord): field reads then see that record, so
// handlers written for the current record work per drawn row, while the
// cursor, the state and a pending edit stay as they are.

#include "platform/db/DbTypes.h"
#include "platform/db/TFieldDefs.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace db {

class TDataSet;
class TDataSource;
class TField;

// A lookup field to be made with a dataset's fields (see TField).
struct TLookupFieldDef {
    std::string Name;
    int Size = 0;
    std::string KeyFields;        // fields of this dataset, ";" between names
    TDataSet* LookupDataSet = nullptr;  // not owned; must outlive the field
    std::string LookupKeyFields;  // as many fields of the lookup dataset
    std::string LookupResultField;
};

class TDataSet {
public:
    TDataSet();
    virtual ~TDataSet();
    TDataSet(const TDataSet&) = delete;
    TDataSet& operator=(const TDataSet&) = delete;

    // Makes the fields from the definitions, opens, goes to the first record.
    // Nothing when already open; when the dataset's own opening throws, it
    // stays closed and the error propagates.
    void Open();
    // Drops a pending edit, closes. Fields stay (they are rebuilt only when
    // the definitions change), so controls holding them are never left dangling.
    void Close();
    bool Active() const { return m_state != TDataSetState::dsInactive; }
    void SetActive(bool value) { value ? Open() : Close(); }
    TDataSetState State() const { return m_state; }

    TFieldDefs& FieldDefs() { return m_fieldDefs; }
    const TFieldDefs& FieldDefs() const { return m_fieldDefs; }
    // Has the concrete dataset make its definitions when there are none yet.
    void UpdateFieldDefs();
    // Fields exist from the first Open on.
    int FieldCount() const { return static_cast<int>(m_fields.size()); }
    // Throws EDatabaseError outside 0..FieldCount-1.
    TField& Fields(int index) const;
    // The field named `name` (ASCII letters folded), or nullptr.
    TField* FindField(std::string_view name) const;
    // As FindField, but throws EDatabaseError "Field 'name' not found".
    TField& FieldByName(std::string_view name) const;
    // The fields named in a ";"-separated list, in its order; nullptr for a
    // name not found.
    std::vector<TField*> GetFieldList(std::string_view fieldNames) const;
    // Fields always come from the definitions here (no persistent fields).
    bool DefaultFields() const { return true; }
    // Adds a lookup field, made after the data fields at the next Open.
    // Throws EDatabaseError on an open dataset or a name already taken.
    void AddLookupField(TLookupFieldDef def);
    // The key fields of a lookup field are all there (data fields of this
    // dataset) and none is read-only, so writing the lookup can set them.
    bool LookupKeysModifiable(const TField& lookup) const;

    // Number of stored records; answers also when closed.
    int RecordCount() const { return InternalRecordCount(); }
    // 1..RecordCount on a record; 0 when there is none (closed, empty, or
    // put before the first record).
    int RecNo() const { return Active() ? m_recNo : 0; }
    // Moves to record `value`; 0 puts the cursor before the first record.
    // Throws EDatabaseError when closed or outside 0..RecordCount.
    virtual void SetRecNo(int value);
    // Cursor moves throw EDatabaseError on a closed dataset; a pending edit
    // is posted first (or an unmodified insert cancelled).
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Moves up to `distance` records; returns how far it went.
    int MoveBy(int distance);
    bool Bof() const { return m_bof; }
    bool Eof() const { return m_eof; }
    bool IsEmpty() const { return RecordCount() == 0 && m_state != TDataSetState::dsInsert; }

    // The text of a field of record `recordIndex` (0-based) without moving
    // the cursor, cut to the field's size; the edited text for the record
    // being edited. "" for an index out of range.
    std::string FieldText(int recordIndex, int fieldIndex) const;
    std::string FieldText(int recordIndex, const TField& field) const;

    // Makes a stored record the one field reads see while a control draws
    // it, and restores the previous one when it goes (exceptions included).
    // kCurrentRecord draws the current record (also the one being
    // inserted). Field writes throw while a record is being drawn.
    class TDrawingRecord {
    public:
        TDrawingRecord(TDataSet& dataSet, int recordIndex);
        ~TDrawingRecord();
        TDrawingRecord(const TDrawingRecord&) = delete;
        TDrawingRecord& operator=(const TDrawingRecord&) = delete;

    private:
        TDataSet& m_dataSet;
        int m_previous;
        bool m_previousSet;
    };
    static constexpr int kCurrentRecord = -1;
    // The stored record being drawn; kCurrentRecord when none (or the
    // current one) is.
    int DrawingRecord() const { return m_drawingRecord; }

    // Where the record being inserted goes (0-based; RecordCount = after the
    // last record); -1 outside insert state.
    int InsertIndex() const { return m_state == TDataSetState::dsInsert ? m_editIndex : -1; }

    bool CanModify() const { return GetCanModify(); }
    // A field was written since Edit/Insert.
    bool Modified() const { return m_modified; }
    // Edit, Insert and Append throw EDatabaseError "Cannot modify a read-only
    // dataset" when the dataset cannot be modified. Edit on an empty dataset
    // inserts. Insert goes before the current record, Append after the last.
    void Edit();
    void Insert();
    void Append();
    // Writes the edited record (controls first hand over their pending
    // texts) and returns to browse state on it. Throws outside edit/insert.
    void Post();
    // Drops the edit; nothing in browse state.
    void Cancel();
    // Removes the current record (an insert is just cancelled). Throws on an
    // empty or read-only dataset.
    void Delete();
    // Posts a modified edit, cancels an unmodified one.
    void CheckBrowseMode();
    // Asks every control to hand over its pending text (edit/insert only).
    void UpdateRecord();

    // The current record's bookmark; empty when there is none.
    TBookmark GetBookmark() const;
    // Goes to a bookmarked record; nothing for an empty bookmark; throws
    // EDatabaseError "Record not found" for one that is no longer valid.
    void GotoBookmark(const TBookmark& bookmark);
    bool BookmarkValid(const TBookmark& bookmark) const;
    // -1, 0 or 1 in record order.
    int CompareBookmarks(const TBookmark& a, const TBookmark& b) const;

    void DisableControls() { ++m_disableCount; }
    void EnableControls();
    bool ControlsDisabled() const { return m_disableCount > 0; }

protected:
    // What a concrete dataset provides.
    virtual void InitFieldDefs() = 0;
    virtual void InternalOpen() {}
    virtual void InternalClose() {}
    virtual int InternalRecordCount() const = 0;
    // `recordIndex` is always within 0..InternalRecordCount-1.
    virtual std::string InternalFieldText(int recordIndex, const TField& field) const = 0;
    virtual bool GetCanModify() const { return false; }
    // Stores the edited record: at `recordIndex` (edit), or as a new record
    // at that position (insert; RecordCount means the end). Values come from
    // PendingText. Only called when GetCanModify answers true.
    virtual void InternalPost(int recordIndex, bool inserting);
    virtual void InternalDelete(int recordIndex);
    // The edited text of a data field, for InternalPost (lookup fields hold
    // nothing of their own: skip them).
    const std::string& PendingText(const TField& field) const;

    // For records added, moved or removed by the dataset's own operations:
    // drops a pending edit, puts the cursor on `recNo` (clamped to
    // 0..RecordCount; Bof on record 1 or none, Eof when empty) and tells the
    // controls of a data-set change. Nothing when closed.
    void RecordsChanged(int recNo);

private:
    friend class TField;
    friend class TDataSource;

    enum class TDataEvent {
        UpdateState, DataSetChange, DataSetScroll, RecordChange, LayoutChange, UpdateRecord, FieldChange,
        FocusControl, FieldListChange
    };

    void CheckActive() const;
    void CheckModifiable() const;
    void BuildFields();
    void MoveTo(int recNo, bool bof, bool eof);
    void SetState(TDataSetState state);
    void StartEdit(TDataSetState state, int recordIndex);
    void DataEvent(TDataEvent event, int distance = 0, TField* field = nullptr);
    void FieldIndexChanged(TField& field, int newIndex);
    std::string CurrentText(const TField& field) const;
    // There is a current record to read (or one being edited, or drawn).
    bool HasCurrentRecord() const;
    void SetCurrentText(TField& field, std::string_view value);
    // Lookup fields: the key fields of this dataset and of the lookup
    // dataset (nullptr for a name not found), the result for the texts of
    // the keys, and the lookup record whose result is `result` (-1: none).
    std::vector<TField*> KeyFieldsOf(const TField& lookup) const;
    std::string LookupText(const TField& lookup, const std::vector<std::string>& keys) const;
    int LookupRecordOf(const TField& lookup, std::string_view result) const;
    // Text of `field` in record `recordIndex`, or in the current record
    // for kCurrentRecord.
    std::string TextAt(int recordIndex, const TField& field) const;
    void AddDataSource(TDataSource* source);
    void RemoveDataSource(TDataSource* source);

    TDataSetState m_state = TDataSetState::dsInactive;
    TFieldDefs m_fieldDefs;
    std::vector<std::unique_ptr<TField>> m_fields;  // in Index order
    std::unordered_map<std::string, TField*> m_fieldsByName;  // ASCII-lower-case names
    std::vector<TLookupFieldDef> m_lookupDefs;
    unsigned m_fieldsVersion = ~0u;                 // definitions version they were made from
    bool m_lookupDefsChanged = false;
    int m_drawingRecord = kCurrentRecord;
    bool m_drawing = false;
    int m_recNo = 0;
    bool m_bof = true;
    bool m_eof = true;
    std::vector<std::string> m_editBuffer;  // by field slot
    int m_editIndex = -1;                   // record edited, or insert position
    bool m_modified = false;
    std::vector<TDataSource*> m_sources;
    int m_disableCount = 0;
    bool m_pendingChange = false;
};

} // namespace db
