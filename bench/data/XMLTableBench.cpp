// Loading, saving and walking profile tables of 1,000 to 100,000 records of
// twelve fields, each beside plain pugixml doing the same to the same file
// (the floor). Ours saves through a temporary file with fsync; pugixml's
// save_file does not sync.
//
// glibc hands big freed blocks back to the kernel and faults them in again,
// and when it does so depends on what ran before: the first of two equal
// loaders pays page faults the second does not. The heap is therefore kept
// (mallopt below), so that each pair compares the work itself.
#include "PlainFriendRecord.h"
#include "data/TXMLTable.h"

#include <QTemporaryDir>
#include <malloc.h>
#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <array>
#include <filesystem>
#include <map>
#include <string>

namespace {

constexpr std::array<const char*, 12> kFields = {"Name",     "Login",      "URL",        "Area",
                                                 "Age",      "RealUser",   "VipUser",    "PhotoCount",
                                                 "VideoCount", "Intim",    "AgeRange",   "NewMessage"};

class Friends : public data::TXMLTable {
public:
    Friends() {
        SetTopNodeName("Friends");
        SetRecordNodeName("Friend");
    }

protected:
    void InitFieldDefs() override {
        for (const char* name : kFields) FieldDefs().Add(name, 2048, true);
    }
};

QTemporaryDir& Folder() {
    static QTemporaryDir dir;
    return dir;
}

std::filesystem::path Path(const std::string& name) { return std::filesystem::path(Folder().path().toStdString()) / name; }

// The file of `count` profile-like records, written once per size.
const std::filesystem::path& TableFile(int count) {
    static std::map<int, std::filesystem::path> files;
    auto it = files.find(count);
    if (it != files.end()) return it->second;
    Friends table;
    for (int i = 0; i < count; ++i) benchdata::SetPlainFriendNodes(table.NewRecordNode(), i, "user" + std::to_string(i));
    const auto path = Path("Friends" + std::to_string(count) + ".xml");
    table.SaveToFile(path);
    return files.emplace(count, path).first->second;
}

void Finish(benchmark::State& state) {
    state.SetComplexityN(state.range(0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(TableFile(static_cast<int>(state.range(0))))));
}

void BM_XMLTableLoad_Ours(benchmark::State& state) {
    const auto& file = TableFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Friends table;
        table.LoadFromFile(file);
        benchmark::DoNotOptimize(table.RecordCount());
    }
    Finish(state);
}

void BM_XMLTableLoad_Pugixml(benchmark::State& state) {
    const auto& file = TableFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        pugi::xml_document doc;
        benchmark::DoNotOptimize(doc.load_file(file.c_str()));
    }
    Finish(state);
}

void BM_XMLTableSave_Ours(benchmark::State& state) {
    Friends table;
    table.LoadFromFile(TableFile(static_cast<int>(state.range(0))));
    const auto out = Path("out-ours.xml");
    for (auto _ : state) table.SaveToFile(out);
    Finish(state);
}

void BM_XMLTableSave_Pugixml(benchmark::State& state) {
    pugi::xml_document doc;
    doc.load_file(TableFile(static_cast<int>(state.range(0))).c_str());
    const auto out = Path("out-pugixml.xml");
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.save_file(out.c_str(), "\t", pugi::format_indent | pugi::format_no_declaration));
    Finish(state);
}

// Every field of every record, positioning by RecNo as the program's lists do.
void BM_XMLTableWalk_Ours(benchmark::State& state) {
    Friends table;
    table.LoadFromFile(TableFile(static_cast<int>(state.range(0))));
    table.Open();
    const int count = table.RecordCount();
    for (auto _ : state) {
        for (int r = 1; r <= count; ++r) {
            table.SetRecNo(r);
            for (const char* field : kFields) benchmark::DoNotOptimize(table.GetFieldValue(field));
        }
    }
    Finish(state);
}

// The same through the dataset layer by index, as a painting grid reads.
void BM_XMLTableWalkByIndex_Ours(benchmark::State& state) {
    Friends table;
    table.LoadFromFile(TableFile(static_cast<int>(state.range(0))));
    table.Open();
    const int count = table.RecordCount();
    for (auto _ : state) {
        for (int r = 0; r < count; ++r)
            for (int f = 0; f < table.FieldCount(); ++f) benchmark::DoNotOptimize(table.FieldText(r, f));
    }
    Finish(state);
}

void BM_XMLTableWalk_Pugixml(benchmark::State& state) {
    pugi::xml_document doc;
    doc.load_file(TableFile(static_cast<int>(state.range(0))).c_str());
    for (auto _ : state) {
        for (pugi::xml_node r = doc.document_element().first_child(); r; r = r.next_sibling())
            for (const char* field : kFields) benchmark::DoNotOptimize(std::string(r.child(field).text().get()));
    }
    Finish(state);
}

#define SIZES RangeMultiplier(10)->Range(1000, 100000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond)
// A text as a table stores it when it is all NUL bytes (each becomes three
// bytes): the worst case of what a damaged page may hand over.
void BM_StoredTextOfNulBytes(benchmark::State& state) {
    const std::string value(size_t(state.range(0)), '\0');
    for (auto _ : state) benchmark::DoNotOptimize(data::TXMLTable::StoredText(value));
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
    state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_StoredTextOfNulBytes)->RangeMultiplier(8)->Range(1 << 12, 1 << 21)->Complexity(benchmark::oN);
BENCHMARK(BM_XMLTableLoad_Ours)->SIZES;
BENCHMARK(BM_XMLTableLoad_Pugixml)->SIZES;
BENCHMARK(BM_XMLTableSave_Ours)->SIZES;
BENCHMARK(BM_XMLTableSave_Pugixml)->SIZES;
BENCHMARK(BM_XMLTableWalk_Ours)->SIZES;
BENCHMARK(BM_XMLTableWalkByIndex_Ours)->SIZES;
BENCHMARK(BM_XMLTableWalk_Pugixml)->SIZES;

} // namespace

int main(int argc, char** argv) {
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
