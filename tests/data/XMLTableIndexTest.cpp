// The key index over one field of an XML table.
#include "TestTables.h"

#include "data/TXMLTableIndex.h"

#include <gtest/gtest.h>

namespace {

using testsupport::KeyTable;

void Fill(KeyTable& table, std::initializer_list<const char*> keys) {
    for (const char* key : keys) data::TXMLTable::SetNodeText(table.NewRecordNode(), "URL", key);
}

std::vector<std::string> Keys(const data::TXMLTableIndex& index) {
    std::vector<std::string> out;
    index.FillStrings(out);
    return out;
}

std::vector<int> RecIndices(const data::TXMLTableIndex& index) {
    std::vector<int> out;
    for (int i = 0; i < index.Count(); ++i) out.push_back(index.Items(i).RecIndex());
    return out;
}

TEST(XMLTableIndex, BuildSortsByteByByte) {
    KeyTable table;
    Fill(table, {"b", "a", "B", "я", "z"});
    data::TXMLTableIndex index;
    index.Build("URL", table);
    EXPECT_TRUE(table.Active()) << "building opens the table";
    EXPECT_EQ(index.Table(), &table);
    EXPECT_EQ(Keys(index), (std::vector<std::string>{"B", "a", "b", "z", "я"}));
    EXPECT_EQ(RecIndices(index), (std::vector<int>{2, 1, 0, 4, 3}));
}

TEST(XMLTableIndex, AddKeyGoesAfterEqualKeys) {
    KeyTable table;
    Fill(table, {"b", "a"});
    data::TXMLTableIndex index;
    index.Build("URL", table);
    index.AddKey("a");
    index.AddKey("c");
    index.AddKey("0");
    EXPECT_EQ(Keys(index), (std::vector<std::string>{"0", "a", "a", "b", "c"}));
    EXPECT_EQ(RecIndices(index), (std::vector<int>{4, 1, 2, 0, 3}));
    EXPECT_EQ(table.RecordCount(), 5);
    EXPECT_EQ(data::TXMLTable::NodeText(table.RecordNode(2), "URL"), "a");
}

TEST(XMLTableIndex, FindsEveryKeyAndNothingElse) {
    for (int size : {0, 1, 2, 3, 4, 7, 50}) {
        SCOPED_TRACE(size);
        KeyTable table;
        for (int i = size - 1; i >= 0; --i)
            data::TXMLTable::SetNodeText(table.NewRecordNode(), "URL", "host" + std::to_string(1000 + i * 2));
        data::TXMLTableIndex index;
        index.Build("URL", table);
        for (int i = 0; i < size; ++i) {
            const std::string key = "host" + std::to_string(1000 + i * 2);
            const pugi::xml_node found = index.Find(key);
            ASSERT_TRUE(found) << key;
            EXPECT_EQ(data::TXMLTable::NodeText(found, "URL"), key);
            EXPECT_FALSE(index.Find("host" + std::to_string(1001 + i * 2)));
        }
        EXPECT_FALSE(index.Find("a"));
        EXPECT_FALSE(index.Find("z"));
    }
}

TEST(XMLTableIndex, DeleteEntryRemovesTheRecordAndRenumbers) {
    KeyTable table;
    Fill(table, {"c", "a", "b", "d"});
    data::TXMLTableIndex index;
    index.Build("URL", table);
    index.DeleteEntry(1);  // "b", record 2
    EXPECT_EQ(Keys(index), (std::vector<std::string>{"a", "c", "d"}));
    EXPECT_EQ(RecIndices(index), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(table.RecordCount(), 3);
    EXPECT_EQ(data::TXMLTable::NodeText(index.Find("d"), "URL"), "d");
    EXPECT_THROW(index.DeleteEntry(3), data::EXMLTable);
    index.Clear();
    EXPECT_EQ(index.Count(), 0);
    EXPECT_FALSE(index.Find("a"));
}

} // namespace
