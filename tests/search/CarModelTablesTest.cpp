#include "search/CarModelTables.h"

#include "platform/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

using namespace search;

namespace {

std::vector<std::string> ModelsOf(int makeId) {
    const auto models = CarModelsOf(makeId);
    return {models.begin(), models.end()};
}

} // namespace

TEST(CarModelTables, IdsOutsideTheTableHaveNoModels) {
    for (int id : {0, -1, 77, 100, INT_MIN, INT_MAX}) EXPECT_TRUE(CarModelsOf(id).empty()) << id;
    for (int id = 1; id <= 76; ++id) EXPECT_FALSE(CarModelsOf(id).empty()) << id;
}

TEST(CarModelTables, NamesListedTwiceStayTwice) {
    EXPECT_EQ(ModelsOf(60), (std::vector<std::string>{"2217", "22171", "2705", "2752", "2752", "3102", "310221",
                                                      "3110", "31105", "3111", "3221", "3302"}));
    const auto toyota = ModelsOf(42);
    EXPECT_EQ(std::count(toyota.begin(), toyota.end(), "Soarer"), 2);
}

TEST(CarModelTables, NamesKeepTheirCaseAndSpacing) {
    const auto chrysler = ModelsOf(37);
    EXPECT_NE(std::find(chrysler.begin(), chrysler.end(), "Town"), chrysler.end());
    EXPECT_NE(std::find(chrysler.begin(), chrysler.end(), "Country"), chrysler.end());
    const auto ford = ModelsOf(64);
    EXPECT_NE(std::find(ford.begin(), ford.end(), "Sierra XR 4X4 i"), ford.end());
    EXPECT_NE(std::find(ford.begin(), ford.end(), "street ka"), ford.end());
    EXPECT_EQ(ModelsOf(11), (std::vector<std::string>{"S-Type", "X-type", "xj-type", "XK", "xk-type"}));
    EXPECT_EQ(ModelsOf(70), (std::vector<std::string>{"Adventra", "caprice", "Commodore", "Cruze", "Monaro",
                                                      "statesman"}));
}

// "любая" (any model) heads the dialog's list but is added by the caller.
TEST(CarModelTables, NamesAreCleanAndAnyModelIsNotAmongThem) {
    for (const TCarModelEntry& entry : CarModelEntries) {
        for (std::string_view name : entry.Models) {
            SCOPED_TRACE(std::to_string(entry.MakeId) + ": " + std::string(name));
            EXPECT_FALSE(name.empty());
            EXPECT_EQ(text::Trim(name), name);
            EXPECT_EQ(name.find(", "), std::string_view::npos);
            EXPECT_NE(name, "любая");
        }
    }
}
