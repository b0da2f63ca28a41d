#include "data/TUrlList.h"

#include "platform/ProgramDir.h"
#include "platform/Text.h"

#include <algorithm>
#include <vector>

namespace data {

TUrlList::TUrlList() {
    SetTopNodeName("URLs");
    SetRecordNodeName("URL");
}

void TUrlList::InitFieldDefs() { FieldDefs().Add("URL", 2048, true); }

pugi::xml_node TUrlList::FindByURL(std::string_view URL) const {
    // Every row's own URL element is compared, whatever its place among the
    // row's children.
    for (int i = 0; i < RecordCount(); ++i) {
        const pugi::xml_node record = RecordNode(i);
        const pugi::xml_node field = FieldNode(record, "URL");
        if (field && text::SameTextAscii(NodeText(record, "URL"), URL)) return field;
    }
    return {};
}

pugi::xml_node TUrlList::AddURL(std::string_view URL) {
    const pugi::xml_node record = NewRecordNode();
    SetNodeText(record, "URL", URL);
    return record;
}

void TUrlList::SetURL(int index, std::string_view URL) {
    if (const pugi::xml_node record = RecordNode(index)) SetNodeText(record, "URL", URL);
}

void TUrlList::DeleteURL(int index) { DeleteNode(index); }

void TUrlList::CopyMissingTo(TUrlList& target) const {
    const int count = RecordCount();
    for (int i = 0; i < count; ++i) {
        const std::string url = NodeText(RecordNode(i), "URL");
        if (!target.FindByURL(url)) target.AddURL(url);
    }
}

void TUrlList::SortByURL() {
    // Swapping texts pairwise until they are in order leaves the sorted
    // sequence of texts in the rows; equal texts are indistinguishable, so a
    // library sort gives the same rows.
    const int count = RecordCount();
    std::vector<std::string> urls;
    urls.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) urls.push_back(NodeText(RecordNode(i), "URL"));
    std::vector<std::string> sorted = urls;
    std::sort(sorted.begin(), sorted.end());  // char_traits<char> compares bytes as unsigned
    for (int i = 0; i < count; ++i)
        if (sorted[static_cast<size_t>(i)] != urls[static_cast<size_t>(i)])
            SetNodeText(RecordNode(i), "URL", sorted[static_cast<size_t>(i)]);
}

void TUrlList::Load() {
    if (m_fileName.empty()) return;
    LoadFromFile(platform::ProgramDir() / m_fileName);
}

void TUrlList::Save() {
    if (m_fileName.empty()) return;
    SaveToFile(platform::ProgramDir() / m_fileName);
}

} // namespace data
