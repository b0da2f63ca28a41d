// The area tables: their placeholder rows and the lookup by id.
#include "data/TCity.h"
#include "data/TCountry.h"
#include "data/TRegion.h"
#include "data/TStation.h"

#include <gtest/gtest.h>

using namespace data;

namespace {

std::string Rows(const TArea& table) {
    std::string out;
    for (int i = 0; i < table.RecordCount(); ++i)
        out += TXMLTable::NodeText(table.RecordNode(i), "id") + "=" +
               TXMLTable::NodeText(table.RecordNode(i), table.NameField()) + ";";
    return out;
}

} // namespace

TEST(Area, PlaceholderRowsAndNames) {
    struct Case {
        std::unique_ptr<TArea> table;
        const char* container;
        const char* record;
        const char* nameField;
        const char* rows;
    };
    Case cases[] = {
        {std::make_unique<TCountry>(), "Countries", "Country", "Country", "0=Выберите страну...;3159=Россия;"},
        {std::make_unique<TRegion>(), "Regions", "Region", "Region", "0_0=Выберите регион...;"},
        {std::make_unique<TCity>(), "Cities", "City", "City", "0_0_0=Выберите город...;"},
        {std::make_unique<TStation>(), "Stations", "Station", "Station", "0_0_0_0=Выберите станцию...;"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.container);
        TArea& table = *c.table;
        EXPECT_FALSE(table.Active()) << "the data module opens the area tables";
        EXPECT_EQ(Rows(table), c.rows);
        EXPECT_EQ(table.NameField(), c.nameField);
        EXPECT_STREQ(table.Document().document_element().name(), c.container);
        EXPECT_STREQ(table.RecordNode(0).name(), c.record);
        table.Open();
        ASSERT_EQ(table.FieldCount(), 2);
        EXPECT_EQ(table.FieldDefs().Items(0).Name, "id");
        EXPECT_EQ(table.FieldDefs().Items(1).Name, c.nameField);
        EXPECT_EQ(table.FieldDefs().Items(1).Size, 50);
        EXPECT_EQ(table.GetFieldValue(c.nameField), table.FieldText(0, 1));
    }
}

TEST(Area, AddAreaWritesTheLevelsNameField) {
    TRegion regions;
    regions.Open();
    regions.AddArea("3159_4312_0_0", "Московская обл.");
    EXPECT_EQ(Rows(regions), "0_0=Выберите регион...;3159_4312_0_0=Московская обл.;");
    EXPECT_EQ(regions.FieldText(1, 1), "Московская обл.");
}

TEST(Area, FindByIdFoldsLatinLettersOnly) {
    TCity cities;
    cities.AddArea("3159_4312_AbC_0", "Город");
    cities.AddArea("3159_4312_Ж_0", "Жуковский");
    cities.AddArea("3159_4312_abc_0", "Второй");
    const struct {
        const char* id;
        int row;  // -1: none
    } cases[] = {
        {"0_0_0", 0},
        {"3159_4312_AbC_0", 1},
        {"3159_4312_ABC_0", 1},  // first match wins
        {"3159_4312_abc_0", 1},
        {"3159_4312_Ж_0", 2},
        {"3159_4312_ж_0", -1},
        {"3159_4312_AbC", -1},
        {"", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const pugi::xml_node found = cities.FindById(c.id);
        if (c.row < 0) {
            EXPECT_FALSE(found);
        } else {
            ASSERT_TRUE(found);
            EXPECT_STREQ(found.name(), "id");
            EXPECT_EQ(found.parent(), cities.RecordNode(c.row));
        }
    }
}

TEST(Area, FindByIdOnTheCountries) {
    TCountry countries;
    EXPECT_EQ(countries.FindById("3159").parent(), countries.RecordNode(1));
    EXPECT_EQ(countries.FindById("0").parent(), countries.RecordNode(0));
    EXPECT_FALSE(countries.FindById("3159_0_0_0"));
    countries.ClearRecords();
    EXPECT_FALSE(countries.FindById("0"));
}
