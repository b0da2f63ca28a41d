// Looking up profiles by login and by address in found tables of 1,000 and
// 100,000 rows, as a search does for every profile a result page lists,
// beside the plain first-match scan the lookups replace (the peer). Queries
// are spread over the whole table, half of them for profiles it lacks. The
// Fill pair shows what keeping the index costs while rows are appended.
#include "PlainFriendRecord.h"
#include "data/FriendTables.h"
#include "data/TFriend.h"
#include "platform/Text.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Login(int i) { return "User_" + std::to_string(i * 7919 % 1000003); }
std::string Url(int i) { return "http://www.example-dating.test/anketa.phtml?oid=" + std::to_string(1000000 + i); }

void AddRow(data::TFriend& table, int i) {
    table.AddFriend("Анастасия " + std::to_string(i), Login(i), Url(i), "Россия, Москва, м. Парк культуры",
                    18 + i % 50, i % 2, i % 3 == 0, i % 12, i % 4, 0, "25-35");
}

const data::TFriend& Table(int count) {
    static std::map<int, std::unique_ptr<data::TFriend>> tables;
    auto& table = tables[count];
    if (!table) {
        table = std::make_unique<data::TFriend>();
        for (int i = 0; i < count; ++i) AddRow(*table, i);
    }
    return *table;
}

// 4096 queries: even ones name rows spread over the table (upper-cased, so
// that folding counts), odd ones profiles the table lacks.
std::vector<std::string> Queries(int count, bool byUrl) {
    std::mt19937 random(7);
    std::vector<std::string> out;
    for (int q = 0; q < 4096; ++q) {
        const int i = q % 2 ? count + q : std::uniform_int_distribution<int>(0, count - 1)(random);
        out.push_back(byUrl ? Url(i) : text::AsciiUpper(Login(i)));
    }
    return out;
}

// The lookup as a scan: each row's field by name, first match wins.
pugi::xml_node Scan(const data::TXMLTable& table, std::string_view field, std::string_view value, bool skipEmpty) {
    for (int i = 0; i < table.RecordCount(); ++i) {
        const pugi::xml_node record = table.RecordNode(i);
        const pugi::xml_node node = data::TXMLTable::FieldNode(record, field);
        if (!node) continue;
        const std::string current = data::TXMLTable::NodeText(record, field);
        if (skipEmpty && current.empty()) continue;
        if (text::SameTextAscii(current, value)) return node;
    }
    return {};
}

template <typename Find>
void RunLookups(benchmark::State& state, bool byUrl, Find find) {
    const int count = static_cast<int>(state.range(0));
    const data::TFriend& table = Table(count);
    const std::vector<std::string> queries = Queries(count, byUrl);
    size_t q = 0;
    int64_t found = 0;
    for (auto _ : state) {
        found += static_cast<bool>(find(table, queries[q]));
        q = (q + 1) % queries.size();
    }
    benchmark::DoNotOptimize(found);
    state.SetItemsProcessed(state.iterations());
    state.counters["hit_rate"] = static_cast<double>(found) / static_cast<double>(state.iterations());
}

void BM_FindByLogin_Ours(benchmark::State& state) {
    RunLookups(state, false, [](const data::TFriend& t, const std::string& v) { return t.FindByLogin(v); });
}

void BM_FindByLogin_Scan(benchmark::State& state) {
    RunLookups(state, false, [](const data::TFriend& t, const std::string& v) { return Scan(t, "Login", v, true); });
}

void BM_FindByURL_Ours(benchmark::State& state) {
    RunLookups(state, true, [](const data::TFriend& t, const std::string& v) { return t.FindByURL(v); });
}

void BM_FindByURL_Scan(benchmark::State& state) {
    RunLookups(state, true, [](const data::TFriend& t, const std::string& v) { return Scan(t, "URL", v, false); });
}

// A table of the same twelve fields without the lookup index.
class PlainFriends : public data::TXMLTable {
public:
    PlainFriends() {
        SetTopNodeName("Friends");
        SetRecordNodeName("Friend");
    }

protected:
    void InitFieldDefs() override {
        for (const data::TFriendFieldSpec& field : data::FriendFields)
            FieldDefs().Add(std::string(field.Name), field.Size, true);
    }
};

void BM_Fill_Ours(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        data::TFriend table;
        for (int i = 0; i < count; ++i) AddRow(table, i);
        benchmark::DoNotOptimize(table.RecordCount());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void BM_Fill_Plain(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        PlainFriends table;
        for (int i = 0; i < count; ++i) benchdata::SetPlainFriendNodes(table.NewRecordNode(), i, Login(i));
        benchmark::DoNotOptimize(table.RecordCount());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

} // namespace

BENCHMARK(BM_FindByLogin_Ours)->Arg(1000)->Arg(100000);
BENCHMARK(BM_FindByLogin_Scan)->Arg(1000)->Arg(100000);
BENCHMARK(BM_FindByURL_Ours)->Arg(1000)->Arg(100000);
BENCHMARK(BM_FindByURL_Scan)->Arg(1000)->Arg(100000);
BENCHMARK(BM_Fill_Ours)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fill_Plain)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
