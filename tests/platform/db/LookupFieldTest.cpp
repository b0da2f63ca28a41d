// Lookup fields: read through their keys, written through them.
#include "MemDataSet.h"

#include "platform/db/TDataSource.h"
#include "platform/db/TField.h"

#include <gtest/gtest.h>

namespace {

struct Lookup : ::testing::Test {
    // Two towns are both called "Омск".
    testsupport::MemDataSet cities{{{"Id", 3}, {"Town", 20}}, {{"1", "Москва"}, {"2", "Омск"}, {"4", "Омск"}}};
    testsupport::MemDataSet people{{{"Name", 10}, {"CityId", 3}}, {{"Анна", "2"}, {"Борис", "9"}, {"Вера", "4"}}, true};

    void SetUp() override {
        cities.Open();
        people.AddLookupField({"City", 5, "CityId", &cities, "Id", "Town"});
        // Keyed by a lookup field: never followed, so never round in a circle.
        people.AddLookupField({"Loop", 5, "Loop", &people, "Name", "Loop"});
        people.Open();
    }
    db::TField& City() { return people.FieldByName("City"); }
    std::string Key() { return people.FieldByName("CityId").AsString(); }
};

TEST_F(Lookup, ShowsTheResultOfTheKeysAndWritesThroughThem) {
    EXPECT_EQ(people.FieldText(0, City()), "Омск");
    EXPECT_EQ(people.FieldText(1, City()), "") << "a key the lookup table lacks";
    EXPECT_EQ(people.FieldText(0, people.FieldByName("Loop")), "");
    testsupport::ExpectError([&] { people.AddLookupField({"X", 5, "CityId", &cities, "Id", "Town"}); },
                             "Cannot perform this operation on an open dataset");
    people.SetRecNo(3);
    people.Edit();
    City().SetAsString("Омск");
    EXPECT_EQ(Key(), "4") << "keys that show the text already stay";
    City().SetAsString("Москв");
    EXPECT_EQ(Key(), "1") << "texts compared as the field holds them";
    testsupport::ExpectError([&] { City().SetAsString("Рим"); }, "'Рим' is not a valid value for field 'City'");
    City().SetAsString("");
    people.Post();
    EXPECT_EQ(people.rows[2], (std::vector<std::string>{"Вера", ""}));
    people.FieldByName("CityId").SetReadOnly(true);
    EXPECT_FALSE(City().CanModify()) << "its key cannot be written";
    EXPECT_EQ(people.GetFieldList("Name; CityId;Nope"),
              (std::vector<db::TField*>{&people.FieldByName("Name"), &people.FieldByName("CityId"), nullptr}));
}

} // namespace
