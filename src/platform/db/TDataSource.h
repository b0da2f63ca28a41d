#pragma once
// The go-between of a dataset and its data-aware controls: controls attach
// their TDataLink to a data source, the data source to a dataset. Detaching
// or switching the dataset tells every link at once.

#include "platform/db/DbTypes.h"

#include <vector>

namespace db {

class TDataLink;
class TDataSet;
class TField;

class TDataSource {
public:
    explicit TDataSource(TDataSet* dataSet = nullptr);
    // Detaches from the dataset and from every link (links become inactive).
    ~TDataSource();
    TDataSource(const TDataSource&) = delete;
    TDataSource& operator=(const TDataSource&) = delete;

    TDataSet* DataSet() const { return m_dataSet; }
    // Switching datasets tells the links: inactive (when they were active)
    // on leaving the old one, active on reaching an open new one.
    void SetDataSet(TDataSet* dataSet);
    // dsInactive without a dataset.
    TDataSetState State() const;

private:
    friend class TDataLink;
    friend class TDataSet;

    void AddLink(TDataLink* link);
    void RemoveLink(TDataLink* link);
    // Dispatch of the dataset's events to the links; every link is checked
    // still to be attached before it is called, since handlers may detach.
    void UpdateState();
    void DataSetChanged();
    void DataSetScrolled(int distance);
    void RecordChanged(TField* field);
    void LayoutChanged();
    void UpdateData();
    void FieldChanged(TField& field);
    // Stops at the link that clears `field`.
    void FocusControl(TField*& field);
    // Goes to every link, active or not: the fields are about to be made anew.
    void FieldListChanging();
    template <typename F> void ForEachLink(F&& f);

    TDataSet* m_dataSet = nullptr;
    std::vector<TDataLink*> m_links;
};

} // namespace db
