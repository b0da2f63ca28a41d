#pragma once
// What a data-aware control (grid, list, form) derives from to hear of its
// dataset. The link remembers whether it is active and editing and calls the
// matching handler when that changes. Unused handlers fall back as in the
// framework: a scroll or a layout change is a data-set change, a data-set
// change is a change of the whole record.

#include "platform/db/DbTypes.h"

namespace db {

class TDataSet;
class TDataSource;
class TField;

class TDataLink {
public:
    TDataLink() = default;
    // Leaves its data source; no handler is called.
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return m_dataSource; }
    // Attaching to or leaving a source updates Active (and calls ActiveChanged).
    void SetDataSource(TDataSource* source);
    // The source's dataset, or nullptr.
    TDataSet* DataSet() const;
    // The dataset is attached and open (as last reported to this link).
    bool Active() const { return m_active; }
    // The dataset is in edit or insert state (as last reported).
    bool Editing() const { return m_editing; }
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value);
    // Puts the dataset in edit state when the link may change it; answers
    // Editing. Errors of the dataset's Edit propagate.
    bool Edit();
    // Has this control hand over its pending text (UpdateData), when active.
    void UpdateRecord();

protected:
    virtual void ActiveChanged() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    // `distance` = new RecNo - old RecNo.
    virtual void DataSetScrolled(int distance) { (void)distance; DataSetChanged(); }
    // `field` is nullptr when the whole record changed.
    virtual void RecordChanged(TField* field) { (void)field; }
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void EditingChanged() {}
    // The dataset is about to post: write pending editor text into fields.
    virtual void UpdateData() {}
    // A display setting of `field` (alignment, read-only) changed; no record
    // moved.
    virtual void FieldChanged(TField& field) { (void)field; DataSetChanged(); }
    // The field should be brought into view and focused; a control that
    // does so clears `field`, which ends the request.
    virtual void FocusControl(TField*& field) { (void)field; }
    // The dataset is about to make its fields anew: every field taken from
    // it so far is about to go. Sent to inactive links too.
    virtual void FieldListChanging() {}

private:
    friend class TDataSource;
    void UpdateState();

    TDataSource* m_dataSource = nullptr;
    bool m_active = false;
    bool m_editing = false;
    bool m_readOnly = false;
};

} // namespace db
