// The car group: rows by position, and the chosen cars in the registry.
#include "data/TCarGroup.h"
#include "platform/TRegistry.h"
#include "support/ConfigHome.h"

#include <gtest/gtest.h>

#include <map>

using data::TCarGroup;
using testsupport::ConfigHome;

namespace {

using Values = std::map<std::string, std::string>;

// Every value of the cars' key as name -> text (integers as "#n").
Values StoredValues() {
    platform::TRegistry reg;
    Values values;
    if (!reg.OpenKey(TCarGroup::RegistryKey(), false)) return values;
    for (const std::string& name : reg.GetValueNames())
        values[name] = reg.GetDataType(name) == platform::TRegDataType::Integer
                           ? "#" + std::to_string(reg.ReadInteger(name))
                           : reg.ReadString(name);
    return values;
}

void Store(const std::vector<std::pair<std::string, std::string>>& values) {
    platform::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(TCarGroup::RegistryKey(), true));
    for (const auto& [name, text] : values) reg.WriteString(name, text);
    reg.CloseKey();
}

std::string Rows(const TCarGroup& cars) {
    std::string out;
    for (int i = 0; i < cars.RecordCount(); ++i)
        out += cars.GetId(i) + ":" + cars.GetComment(i) + ":" + cars.GetModel(i) + ";";
    return out;
}

void TwoCars(TCarGroup& cars) {
    cars.AddCar("7", "Volkswagen", "Volkswagen", "Golf");
    cars.AddCar("12", "Лада", "Лада", "");
}

} // namespace

TEST(CarGroup, RowsByPosition) {
    TCarGroup cars;
    EXPECT_TRUE(cars.Active());
    EXPECT_STREQ(cars.AddCar("7", "Volkswagen", "VW", "Golf").name(), "Assertions");
    EXPECT_EQ(cars.FieldCount(), 4);
    EXPECT_EQ(cars.GetId(0), "7");
    EXPECT_EQ(cars.GetComment(0), "Volkswagen");
    EXPECT_EQ(cars.GetFieldValue("Condition"), "VW");
    EXPECT_EQ(cars.GetModel(0), "Golf");
    cars.SetModel(0, "Passat");
    EXPECT_EQ(cars.GetModel(0), "Passat");
    for (int outside : {-1, 1, 100}) {
        EXPECT_EQ(cars.GetId(outside), "");
        EXPECT_EQ(cars.GetComment(outside), "");
        EXPECT_EQ(cars.GetModel(outside), "");
        cars.SetModel(outside, "X");
    }
    EXPECT_EQ(cars.RecordCount(), 1);
}

TEST(CarGroup, ModelByCommentComparesExactly) {
    TCarGroup cars;
    TwoCars(cars);
    cars.AddCar("8", "Volkswagen", "Volkswagen", "Polo");
    EXPECT_EQ(cars.GetModelByComment("Volkswagen"), "Golf");
    EXPECT_EQ(cars.GetModelByComment("volkswagen"), "");
    EXPECT_EQ(cars.GetModelByComment("Лада"), "");
    EXPECT_EQ(cars.GetModelByComment("Opel"), "");
}

// The key's rows stay, its other values go, the makes it lacks are added.
TEST(CarGroup, SaveRewritesTheKeyInItsOwnForm) {
    ConfigHome home;
    EXPECT_EQ(TCarGroup::RegistryKey(), "Software\\Corvane\\Tessel\\CarGroup");
    Store({{"CarID0", "1"}, {"CarName0", "Audi"}, {"CarModel0", "A4"}, {"CarID5", "9"}, {"Stray", "x"},
           {"CarID1", "2"}, {"CarName1", "BMW"}, {"CarModel1", ""}, {"CarName2", "Opel"}});
    TCarGroup cars;
    TwoCars(cars);
    cars.SaveToRegistry();
    const Values rows{{"CarID0", "1"},      {"CarName0", "Audi"},       {"CarModel0", "A4"},
                      {"CarID1", "2"},      {"CarName1", "BMW"},        {"CarModel1", ""},
                      {"CarID2", "7"},      {"CarName2", "Volkswagen"}, {"CarModel2", "Golf"},
                      {"CarID3", "12"},     {"CarName3", "Лада"},       {"CarModel3", ""}};
    EXPECT_EQ(StoredValues(), rows);

    TCarGroup none; // changed no model: writes nothing
    none.SaveToRegistry();
    EXPECT_EQ(StoredValues(), rows);
}

TEST(CarGroup, LoadGivesBackWhatWasSaved) {
    ConfigHome home;
    TCarGroup saved;
    TwoCars(saved);
    saved.SaveToRegistry();
    TCarGroup loaded;
    loaded.LoadFromRegistry();
    EXPECT_EQ(Rows(loaded), "7:Volkswagen:Golf;12:Лада:;");
    EXPECT_EQ(TCarGroup::NodeText(loaded.RecordNode(0), "Condition"), "");
    loaded.LoadFromRegistry();
    EXPECT_EQ(loaded.RecordCount(), 4) << "rows are appended, not merged";
}

TEST(CarGroup, LoadRules) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> values;
        std::string rows;
    };
    const std::vector<Case> cases{
        {"NoKey", {}, ""},
        {"SevenValuesGiveNoRows",
         {{"CarID0", "1"}, {"CarName0", "Audi"}, {"CarModel0", ""}, {"CarID1", "2"}, {"CarName1", "BMW"},
          {"CarModel1", "X5"}, {"Stray", "x"}},
         ""},
        {"IndexWithoutAllThreeIsSkipped",
         {{"CarID0", "1"}, {"CarName0", "Audi"}, {"CarModelX", ""}, {"CarID1", "2"}, {"CarName1", "BMW"},
          {"CarModel1", "X5"}},
         "2:BMW:X5;"},
        {"RowsFollowTheIndexesNotTheStoringOrder",
         {{"CarID1", "2"}, {"CarName1", "BMW"}, {"CarModel1", ""}, {"CarModel0", "A4"}, {"CarName0", "Audi"},
          {"CarID0", "1"}},
         "1:Audi:A4;2:BMW:;"},
        {"IndexesBeyondTheCountAreNotRead",
         {{"CarID0", "1"}, {"CarName0", "Audi"}, {"CarModel0", ""}, {"CarID3", "4"}, {"CarName3", "Opel"},
          {"CarModel3", ""}},
         "1:Audi:;"},
        {"NamesInAnyLetterCase", {{"carid0", "1"}, {"CARNAME0", "Audi"}, {"CarModel0", ""}}, "1:Audi:;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConfigHome home;
        if (!c.values.empty()) Store(c.values);
        TCarGroup cars;
        cars.LoadFromRegistry();
        EXPECT_EQ(Rows(cars), c.rows);
    }
}

TEST(CarGroup, ValueOfTheWrongKindSkipsItsRow) {
    ConfigHome home;
    Store({{"CarID0", "1"}, {"CarName0", "Audi"}, {"CarID1", "2"}, {"CarName1", "BMW"}, {"CarModel1", "X5"}});
    {
        platform::TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(TCarGroup::RegistryKey(), false));
        reg.WriteInteger("CarModel0", 4);
        reg.CloseKey();
    }
    TCarGroup cars;
    cars.LoadFromRegistry();
    EXPECT_EQ(Rows(cars), "2:BMW:X5;");
}
