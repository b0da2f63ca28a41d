#include "platform/db/TDataSource.h"

#include "platform/db/TDataLink.h"
#include "platform/db/TDataSet.h"

#include <algorithm>

namespace db {

TDataSource::TDataSource(TDataSet* dataSet) { SetDataSet(dataSet); }

TDataSource::~TDataSource() {
    SetDataSet(nullptr);
    while (!m_links.empty()) m_links.back()->SetDataSource(nullptr);
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
    if (dataSet == m_dataSet) return;
    if (m_dataSet) {
        m_dataSet->RemoveDataSource(this);
        m_dataSet = nullptr;
        UpdateState();
    }
    if (dataSet) {
        m_dataSet = dataSet;
        dataSet->AddDataSource(this);
        UpdateState();
    }
}

TDataSetState TDataSource::State() const {
    return m_dataSet ? m_dataSet->State() : TDataSetState::dsInactive;
}

void TDataSource::AddLink(TDataLink* link) { m_links.push_back(link); }

void TDataSource::RemoveLink(TDataLink* link) {
    m_links.erase(std::remove(m_links.begin(), m_links.end(), link), m_links.end());
}

template <typename F> void TDataSource::ForEachLink(F&& f) {
    const std::vector<TDataLink*> links = m_links;
    for (TDataLink* link : links)
        if (std::find(m_links.begin(), m_links.end(), link) != m_links.end()) f(*link);
}

void TDataSource::UpdateState() {
    ForEachLink([](TDataLink& link) { link.UpdateState(); });
}

void TDataSource::DataSetChanged() {
    ForEachLink([](TDataLink& link) { if (link.Active()) link.DataSetChanged(); });
}

void TDataSource::DataSetScrolled(int distance) {
    ForEachLink([distance](TDataLink& link) { if (link.Active()) link.DataSetScrolled(distance); });
}

void TDataSource::RecordChanged(TField* field) {
    ForEachLink([field](TDataLink& link) { if (link.Active()) link.RecordChanged(field); });
}

void TDataSource::LayoutChanged() {
    ForEachLink([](TDataLink& link) { if (link.Active()) link.LayoutChanged(); });
}

void TDataSource::UpdateData() {
    ForEachLink([](TDataLink& link) { if (link.Active()) link.UpdateData(); });
}

void TDataSource::FieldChanged(TField& field) {
    ForEachLink([&field](TDataLink& link) { if (link.Active()) link.FieldChanged(field); });
}

void TDataSource::FocusControl(TField*& field) {
    ForEachLink([&field](TDataLink& link) { if (field && link.Active()) link.FocusControl(field); });
}

void TDataSource::FieldListChanging() {
    ForEachLink([](TDataLink& link) { link.FieldListChanging(); });
}

} // namespace db
