// The area and car catalogues against the local site.
#include "data/TdmFriend.h"
#include "platform/ProgramDir.h"
#include "platform/TRegistry.h"
#include "search/CarCatalogue.h"
#include "search/TVelmora.h"
#include "support/ConfigHome.h"
#include "support/TempDir.h"
#include "support/site/LocalSite.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace testsupport;
using Rows = std::vector<std::string>; // "id name" (cars: "id name condition model")

namespace {

Rows RowsOf(const data::TXMLTable& table, std::initializer_list<const char*> fields) {
    Rows rows;
    for (int i = 0; i < table.RecordCount(); ++i) {
        std::string row;
        for (const char* field : fields)
            row += (row.empty() ? "" : " ") + data::TXMLTable::NodeText(table.RecordNode(i), field);
        rows.push_back(row);
    }
    return rows;
}

class Catalogue : public ::testing::Test {
protected:
    Catalogue() {
        platform::SetProgramDir(m_programDir.path());
        m_dm = std::make_unique<data::TdmFriend>();
        m_dm->Settings().SetFinderServer(m_site.LocalhostHost()); // "wap." + it reaches the WAP pages
    }
    ~Catalogue() override {
        m_dm.reset();
        platform::SetProgramDir({});
    }

    Rows LoadCars() {
        search::LoadCarModelsFromSite(m_engine, m_fallback.Host());
        return RowsOf(m_dm->CarGroup(), {"id", "Comment", "Condition", "Model"});
    }

    ConfigHome m_config;
    TempDir m_programDir;
    LocalSite m_site, m_fallback;
    std::unique_ptr<data::TdmFriend> m_dm;
    search::TVelmora m_engine;
};

TEST_F(Catalogue, CountriesFromNinePages) {
    m_engine.LoadCountries("id", "Country", m_dm->Countries());
    const Rows rows = RowsOf(m_dm->Countries(), {"id", "Country"});
    ASSERT_EQ(rows.size(), 12u); // the placeholder rows are gone
    EXPECT_EQ(rows.front(), "3159_0_0_0 Россия");
    EXPECT_EQ(rows.back(), "2788_0_0_0 Армения");
    EXPECT_EQ(m_site.WapRequestCount(), 9u);
}

TEST_F(Catalogue, RegionsOverFourPagesOncePerNameWithoutNavigationLinks) {
    SiteArea country{"3159", "Россия", {}};
    for (int i = 1; i <= 35; ++i)
        country.children.push_back({std::to_string(4000 + i), "Регион " + std::to_string(i), {}});
    country.children[24].name = "Регион 3";        // the same name on page 3 under another id
    country.children[34].name = "Дальние края..."; // texts with "..." are the pager's
    m_site.SetAreas({country});

    m_engine.LoadRegions("3159_0_0_0", "id", m_dm->Regions(), "Region");
    const Rows rows = RowsOf(m_dm->Regions(), {"id", "Region"});
    ASSERT_EQ(rows.size(), 33u); // no "Поиск", "Далее...", "Выбор региона" either
    EXPECT_EQ(rows[2], "3159_4003_0_0 Регион 3");
    EXPECT_EQ(rows.back(), "3159_4034_0_0 Регион 34");
    Rows targets;
    for (const HttpRequestRecord& r : m_site.Requests()) targets.push_back(r.target);
    const std::string url = "/?area=search&me=1&lookFor=2&where=Country.3159&page=";
    EXPECT_EQ(targets, (Rows{url + "1", url + "2", url + "3", url + "4"}));
}

TEST_F(Catalogue, ANameWithANulByteIsStoredOnce) {
    SiteArea country{"3159", "Россия", {}};
    for (int i = 1; i <= 25; ++i) country.children.push_back({std::to_string(4000 + i), std::string("Край\0А", 11), {}});
    m_site.SetAreas({country});
    m_engine.LoadRegions("3159_0_0_0", "id", m_dm->Regions(), "Region");
    EXPECT_EQ(RowsOf(m_dm->Regions(), {"id", "Region"}), Rows{"3159_4001_0_0 Край\uFFFDА"});
}

TEST_F(Catalogue, SiteIdsWithLeadingZerosSurviveEveryLevel) {
    m_site.SetAreas({{"3159", "Россия", {{"0417", "Область", {{"0500", "Город", {{"077", "Станция", {}}}}}}}}});
    m_engine.LoadCities("3159_0_0_0", "3159_0417_0_0", m_dm->Cities(), "City", "id");
    EXPECT_EQ(RowsOf(m_dm->Cities(), {"id", "City"}), Rows{"3159_0417_0500_0 Город"});
    m_engine.LoadMetroStations("3159_0_0_0", "3159_0417_0_0", m_dm->Stations(), "Station", "id",
                               "3159_0417_0500_0");
    EXPECT_EQ(RowsOf(m_dm->Stations(), {"id", "Station"}), Rows{"3159_0417_0500_077 Станция"});
}

TEST_F(Catalogue, CarMakesFromTheSiteOrTheFallbackSite) {
    m_site.SetCarMakes({{"16", "BMW"}, {"54", "ВАЗ"}});
    for (SiteEncoding encoding : {SiteEncoding::Cp1251, SiteEncoding::Utf8}) {
        m_site.SetEncoding(encoding);
        EXPECT_EQ(LoadCars(), (Rows{"16 BMW BMW ", "54 ВАЗ ВАЗ "})); // "не важно" is no make
    }
    EXPECT_EQ(m_fallback.RequestCount(), 0u);

    m_fallback.SetCarMakes({{"48", "Volkswagen"}});
    for (SiteCarPage page : {SiteCarPage::NotFoundText, SiteCarPage::FreeAddressText, SiteCarPage::Missing}) {
        m_site.SetCarPage(page);
        EXPECT_EQ(LoadCars(), Rows{"48 Volkswagen Volkswagen "});
    }
}

TEST_F(Catalogue, ChosenModelsSurviveReloadsAndFailedReloads) {
    m_fallback.SetCarPage(SiteCarPage::Missing);
    m_site.SetCarMakes({{"16", "BMW"}, {"48", "Volkswagen"}});
    LoadCars();
    m_dm->CarGroup().SetModel(1, "Golf");
    m_dm->CarGroup().SaveToRegistry();

    m_site.SetCarMakes({{"10", "Audi"}, {"48", "Volkswagen"}, {"16", "BMW"}});
    EXPECT_EQ(LoadCars(), (Rows{"10 Audi Audi ", "48 Volkswagen Volkswagen Golf", "16 BMW BMW "}));

    // Neither site answers: the makes and the unsaved choice stay for the next save.
    m_dm->CarGroup().SetModel(0, "A4");
    m_site.SetCarPage(SiteCarPage::Missing);
    EXPECT_EQ(LoadCars(), (Rows{"10 Audi Audi A4", "48 Volkswagen Volkswagen Golf", "16 BMW BMW "}));
    // An empty group takes the remembered cars.
    m_dm->CarGroup().ClearRecords();
    EXPECT_EQ(LoadCars(), (Rows{"16 BMW BMW ", "48 Volkswagen Volkswagen Golf"}));
}

// Copies of the program on one settings folder, this one's car group filled
// from the site and the others' read from the registry: each save writes the
// models its copy chose, and a save that chose none writes nothing.
TEST_F(Catalogue, CopiesKeepEachOthersCarModels) {
    data::TCarGroup earlier; // the choices of an earlier run
    earlier.AddCar("16", "BMW", "BMW", "X5");
    earlier.AddCar("48", "Volkswagen", "Volkswagen", "Passat");
    earlier.SaveToRegistry();
    m_site.SetCarMakes({{"16", "BMW"}, {"48", "Volkswagen"}});
    data::TCarGroup& a = m_dm->CarGroup();
    LoadCars();
    data::TCarGroup b, c;
    b.LoadFromRegistry();
    c.LoadFromRegistry();

    b.SetModel(0, "530");
    b.SaveToRegistry();
    const auto file = platform::TRegistry::StoreFile();
    const std::string saved = ReadFile(file);
    a.SaveToRegistry();
    EXPECT_EQ(ReadFile(file), saved) << "a save that chose nothing";
    a.SetModel(1, "Golf");
    a.SaveToRegistry();
    c.SaveToRegistry();
    b.SaveToRegistry();

    data::TCarGroup now;
    now.LoadFromRegistry();
    EXPECT_EQ(RowsOf(now, {"id", "Comment", "Model"}), (Rows{"16 BMW 530", "48 Volkswagen Golf"}));
}

TEST(FillCarModels, AnyModelThenTheTableEntry) {
    Rows list{"stale"}, other;
    search::FillCarModels("7", list);
    EXPECT_EQ(list, (Rows{"любая", "Hunter", "Patriot", "Simbir"}));
    search::FillCarModels("72", other);
    EXPECT_EQ(other, list);
    for (const char* id : {"0", "77", "x", "", "-1", "7x"}) {
        search::FillCarModels(id, list);
        EXPECT_TRUE(list.empty()) << id;
    }
}

} // namespace
