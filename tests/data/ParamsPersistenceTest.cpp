// Search parameters and settings in the registry: every property saved and
// loaded, missing and wrongly typed values, the first run, a damaged file.
#include "data/Base64.h"
#include "data/DefaultServer.h"
#include "data/TTesselSettings.h"
#include "platform/TRegistry.h"
#include "platform/Text.h"
#include "support/ConfigHome.h"

#include <functional>
#include <gtest/gtest.h>

using namespace data;
using platform::TPersistent;
using platform::TRegDataType;
using platform::TRegistry;
using platform::TTypeKind;
using testsupport::ConfigHome;

namespace {

// A value for every property that differs from the defaults and from every
// other property's value.
void FillDistinct(TPersistent& object) {
    int32_t n = 0;
    for (const auto& p : object.PublishedProperties()) {
        ++n;
        if (p.Name == "target") {
            p.SetStr(object, "Email|Intim|Sport");
        } else if (p.Name == "sponsor") {
            p.SetStr(object, "LookFor|No");
        } else if (p.Kind == TTypeKind::String) {
            p.SetStr(object, "значение " + std::string(p.Name) + " |" + std::to_string(n));
        } else if (p.Kind == TTypeKind::Boolean) {
            p.SetOrd(object, 1);
        } else {
            p.SetOrd(object, n % 2 ? n * 1000 : -n);
        }
    }
}

void ExpectSameProperties(const TPersistent& a, const TPersistent& b) {
    for (const auto& p : a.PublishedProperties()) {
        if (p.IsOrdinal())
            EXPECT_EQ(p.GetOrd(a), p.GetOrd(b)) << p.Name;
        else
            EXPECT_EQ(p.GetStr(a), p.GetStr(b)) << p.Name;
    }
}

void WriteValues(const std::function<void(TRegistry&)>& write) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(TesselRegKey, true));
    write(reg);
    reg.CloseKey();
}

} // namespace

TEST(FinderParams, EveryPropertyRoundTripsThroughTheRegistryWithItsKind) {
    ConfigHome home;
    TFinderParams saved;
    FillDistinct(saved);
    saved.SaveToRegistry();

    TFinderParams loaded;
    EXPECT_FALSE(loaded.LoadFromRegistry());
    ExpectSameProperties(saved, loaded);
    EXPECT_EQ(loaded.target(), "Email|Intim|Sport");
    EXPECT_TRUE(loaded.SponsorGroup().LookFor());

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(TesselRegKey, false));
    for (const auto& p : saved.PublishedProperties())
        EXPECT_EQ(reg.GetDataType(p.Name), p.IsOrdinal() ? TRegDataType::Integer : TRegDataType::String) << p.Name;
    EXPECT_EQ(reg.ReadString("target"), "Email|Intim|Sport");
}

TEST(FinderParams, MissingValuesKeepTheCurrentOnes) {
    ConfigHome home;
    WriteValues([](TRegistry& reg) {
        reg.WriteString("s_ty", "Week");
        reg.WriteInteger("PhotoMin", 2);
    });
    TFinderParams params;
    FillDistinct(params);
    TFinderParams before;
    FillDistinct(before);

    EXPECT_FALSE(params.LoadFromRegistry());
    EXPECT_EQ(params.s_ty(), "Week");
    EXPECT_EQ(params.PhotoMin(), 2);
    before.SetS_ty("Week");
    before.SetPhotoMin(2);
    ExpectSameProperties(before, params);
}

TEST(FinderParams, AWronglyTypedValueIsSkippedAndTheRestLoads) {
    ConfigHome home;
    WriteValues([](TRegistry& reg) {
        reg.WriteInteger("s_ty", 5);          // a string property stored as an integer
        reg.WriteString("PhotoMax", "ten");   // an integer property stored as a string
        reg.WriteString("FriendName", "Анна");
        reg.WriteInteger("VideoMin", 3);
    });
    TFinderParams params;
    params.SetS_ty("Online");
    params.SetPhotoMax(4);
    EXPECT_FALSE(params.LoadFromRegistry());
    EXPECT_EQ(params.s_ty(), "Online");
    EXPECT_EQ(params.PhotoMax(), 4);
    EXPECT_EQ(params.FriendName(), "Анна");
    EXPECT_EQ(params.VideoMin(), 3);
}

TEST(FinderParams, AMissingKeyIsTheFirstRunAndChangesNothing) {
    ConfigHome home;
    TFinderParams params;
    params.SetMyAge(30);
    EXPECT_TRUE(params.LoadFromRegistry());
    EXPECT_EQ(params.MyAge(), 30);
    EXPECT_FALSE(std::filesystem::exists(TRegistry::StoreFile())) << "loading writes nothing";
}

TEST(FinderParams, CopyPropertiesCopiesOnlyWhatBothHave) {
    TTesselSettings settings;
    FillDistinct(settings);
    TFinderParams params;
    CopyProperties(params, settings);
    ExpectSameProperties(params, settings); // all 56 of the conditions
    EXPECT_EQ(params.target(), "Email|Intim|Sport");

    TTesselSettings back;
    back.SetPageCount(12);
    back.SetFinderServer("keep.example");
    CopyProperties(back, params);
    ExpectSameProperties(params, back);
    EXPECT_EQ(back.PageCount(), 12);
    EXPECT_EQ(back.FinderServer(), "keep.example");
}

TEST(TesselSettings, EverySettingAndTheProxyRoundTrip) {
    ConfigHome home;
    TTesselSettings saved;
    FillDistinct(saved);
    saved.SetPassword("тайна");
    auto& proxy = saved.ProxyParams();
    proxy.SetUseProxy(true);
    proxy.SetProxyAuthorization(true);
    proxy.SetProxyServer("10.1.2.3");
    proxy.SetProxyPort(3128);
    proxy.SetProxyUserName("proxyuser");
    proxy.SetProxyPassword("пароль прокси");
    proxy.SetProxyBypass("localhost;*.local");
    saved.Save();

    TTesselSettings loaded;
    EXPECT_FALSE(loaded.Load());
    ExpectSameProperties(saved, loaded);
    EXPECT_EQ(loaded.GetPassword(), "тайна");
    const auto& p = loaded.ProxyParams();
    EXPECT_TRUE(p.UseProxy());
    EXPECT_TRUE(p.ProxyAuthorization());
    EXPECT_EQ(p.ProxyServer(), "10.1.2.3");
    EXPECT_EQ(p.ProxyPort(), 3128);
    EXPECT_EQ(p.ProxyUserName(), "proxyuser");
    EXPECT_EQ(p.ProxyPassword(), "пароль прокси");
    EXPECT_EQ(p.ProxyBypass(), "localhost;*.local");

    // Passwords are stored as Base64 text, never in clear.
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(TesselRegKey, false));
    EXPECT_EQ(reg.ReadString("password"), Base64Encode("тайна"));
    EXPECT_EQ(reg.ReadString("ProxyPassword"), Base64Encode("пароль прокси"));
    EXPECT_EQ(reg.ReadInteger("UseProfile"), 1);
}

TEST(TesselSettings, APasswordStoredInWindows1251ReadsAsUtf8) {
    ConfigHome home;
    WriteValues([](TRegistry& reg) {
        reg.WriteString("password", Base64Encode(text::Utf8ToCp1251("Пароль")));
        reg.WriteString("ProxyPassword", Base64Encode(text::Utf8ToCp1251("Прокси")));
    });
    TTesselSettings settings;
    settings.Load();
    EXPECT_EQ(settings.GetPassword(), "Пароль");
    EXPECT_EQ(settings.ProxyParams().ProxyPassword(), "Прокси");
}

TEST(TesselSettings, StoredValuesOfTheWrongKindAreSkipped) {
    ConfigHome home;
    WriteValues([](TRegistry& reg) {
        reg.WriteString("PageCount", "five");
        reg.WriteInteger("FinderServer", 1);
        reg.WriteString("UseProxy", "yes");
        reg.WriteString("ProxyPort", "8080");
        reg.WriteInteger("ProxyServer", 7);
        reg.WriteString("login", "anna");
    });
    TTesselSettings settings;
    EXPECT_FALSE(settings.Load());
    EXPECT_EQ(settings.PageCount(), 0);
    EXPECT_EQ(settings.FinderServer(), DefaultServerHost);
    EXPECT_EQ(settings.login(), "anna");
    EXPECT_FALSE(settings.ProxyParams().UseProxy());
    EXPECT_EQ(settings.ProxyParams().ProxyPort(), 0);
    EXPECT_EQ(settings.ProxyParams().ProxyServer(), "");

    // A page count out of bounds is read bounded, so a search always ends.
    for (int32_t stored : {2147483647, -5}) {
        WriteValues([stored](TRegistry& reg) { reg.WriteInteger("PageCount", stored); });
        settings.Load();
        EXPECT_EQ(settings.PageCount(), stored > 0 ? TTesselSettings::MaxPageCount : 0);
    }
}

TEST(TesselSettings, ADamagedFileStartsAsAFirstRunAndIsKept) {
    ConfigHome home;
    const auto file = TRegistry::StoreFile();
    std::filesystem::create_directories(file.parent_path());
    const std::string damaged = "<registry><key name=\"Software\">\xFF\xFE garbage";
    testsupport::WriteFile(file, damaged);

    TTesselSettings settings;
    EXPECT_TRUE(settings.Load());
    EXPECT_EQ(settings.FinderServer(), DefaultServerHost);
    const auto aside = TRegistry::TakeSetAsideFile();
    ASSERT_FALSE(aside.empty());

    settings.SetLogin("anna");
    settings.Save();
    EXPECT_EQ(testsupport::ReadFile(aside), damaged);
    TTesselSettings again;
    EXPECT_FALSE(again.Load());
    EXPECT_EQ(again.login(), "anna");
}

// A value the start passed over stays as written through saves of other
// settings, until its own setting is set.
TEST(TesselSettings, AValuePassedOverIsKeptUntilItsSettingIsSet) {
    ConfigHome home;
    WriteValues([](TRegistry& reg) { reg.WriteString("MyAge", "2147483648"), reg.WriteString("StatureMax", "+3"); });
    TTesselSettings settings;
    settings.Load(), settings.SetLogin("anna"), settings.SetMyAge(30), settings.Save();
    const std::string file = testsupport::ReadFile(TRegistry::StoreFile());
    EXPECT_NE(file.find("\"StatureMax\" type=\"string\" data=\"+3\""), std::string::npos);
    EXPECT_NE(file.find("\"MyAge\" type=\"integer\" data=\"30\""), std::string::npos);
}

// Two copies on one settings folder: neither undoes the other's changes by
// saving its own, proxy settings too.
TEST(TesselSettings, TwoCopiesKeepEachOthersChanges) {
    ConfigHome home;
    TTesselSettings a, b, now;
    a.Load(), b.Load();
    b.SetStatureMin(150), b.ProxyParams().SetProxyServer("10.0.0.5"), b.Save();
    a.SetLogin("anna"), a.ProxyParams().SetUseProxy(true), a.Save();
    now.Load();
    EXPECT_EQ(now.login() + " " + now.ProxyParams().ProxyServer(), "anna 10.0.0.5");
    EXPECT_TRUE(now.StatureMin() == 150 && now.ProxyParams().UseProxy());
}
