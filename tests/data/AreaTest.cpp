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
