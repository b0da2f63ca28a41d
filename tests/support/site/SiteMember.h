#pragma once
// One member of the local site: what its result-page entry and its profile
// page show. Fields have defaults that make a plain, findable member; the
// chained setters let a test state only what it cares about:
//
//   site.Add(SiteMember("anna").Name("Анна").Age(27).Photos(12).Vip());
//
// Profile attributes are given as condition ids of the program's vocabulary
// ("NoSmoking", "lev") or as literal page text; an id is shown as the text
// the site writes for it (in a woman's wording where the site has one), any
// other value is shown as it stands.

#include <string>
#include <vector>

namespace testsupport {

struct SiteMember {
    explicit SiteMember(std::string login_) : login(std::move(login_)) {}

    // A member of a varied sample: every field filled from `index`
    // (names, ages, areas, marks, counts and attributes cycle), so that a
    // site of many members looks like a real search. The login is "member<index>".
    static SiteMember Sample(int index);
    // Sample(0) .. Sample(count - 1).
    static std::vector<SiteMember> Samples(int count);

    // --- what the result pages show ---
    std::string login;            // first path segment of the profile address (lower case)
    std::string name;             // shown name; empty shows the login
    int id = 0;                   // the site's member number in links; 0: its place in the list, from 1
    std::string gender = "F";     // "M", "F", "MF", "MM" or "FF"
    std::string lookingFor = "M"; // gender code the member looks for
    int age = 25;                 // 0: no age shown
    std::string area = "Москва";
    int photos = 0;
    int intimPhotos = 0;
    int video = 0;
    bool realUser = false;
    bool vip = false;
    bool intim = false;
    std::string wantedAge;        // "25-35" shows "в возрасте 25-35 лет"; empty shows none
    // When set, result pages list the member through the site's warning
    // redirect ("/<login>/?tip=AWarn&tcurl=<this, encoded>") instead of a
    // profile link, as for a profile kept on another site.
    std::string redirectTo;
    bool redirectAsIs = false;    // put redirectTo into the link unencoded (say, with a broken '%' escape)

    // --- what the profile page shows ---
    std::vector<std::string> purposes; // target group
    std::string sponsor;
    std::vector<std::string> music;
    std::vector<std::string> sport;
    std::string marriage;              // either wording's id; shown in the member's own
    std::string children;
    std::string hair;
    std::string zodiac;
    std::string figure;
    std::string smoking;
    std::string narcotic;
    std::string alcohol;
    std::string economic;
    std::vector<std::string> excite;
    std::string aids;
    std::string limb;
    std::string bust;
    std::string orientation;
    std::string carMake;               // as the car page names the make ("BMW")
    std::string carModel;
    int viewsPerMonth = 0;             // below 0: the line is left out
    int height = 0;                    // cm; 0: left out
    int weight = 0;                    // kg; 0: left out

    bool IsFemale() const { return gender == "F" || gender == "FF"; }
    const std::string& ShownName() const { return name.empty() ? login : name; }

    SiteMember& Name(std::string v) { name = std::move(v); return *this; }
    SiteMember& Id(int v) { id = v; return *this; }
    SiteMember& Gender(std::string v) { gender = std::move(v); return *this; }
    SiteMember& LookingFor(std::string v) { lookingFor = std::move(v); return *this; }
    SiteMember& Age(int v) { age = v; return *this; }
    SiteMember& Area(std::string v) { area = std::move(v); return *this; }
    SiteMember& Photos(int v) { photos = v; return *this; }
    SiteMember& IntimPhotos(int v) { intimPhotos = v; return *this; }
    SiteMember& Video(int v) { video = v; return *this; }
    SiteMember& RealUser(bool v = true) { realUser = v; return *this; }
    SiteMember& Vip(bool v = true) { vip = v; return *this; }
    SiteMember& Intim(bool v = true) { intim = v; return *this; }
    SiteMember& WantedAge(std::string v) { wantedAge = std::move(v); return *this; }
    SiteMember& RedirectTo(std::string v, bool asIs = false) {
        redirectTo = std::move(v);
        redirectAsIs = asIs;
        return *this;
    }

    SiteMember& Purposes(std::vector<std::string> v) { purposes = std::move(v); return *this; }
    SiteMember& Sponsor(std::string v) { sponsor = std::move(v); return *this; }
    SiteMember& Music(std::vector<std::string> v) { music = std::move(v); return *this; }
    SiteMember& Sport(std::vector<std::string> v) { sport = std::move(v); return *this; }
    SiteMember& Marriage(std::string v) { marriage = std::move(v); return *this; }
    SiteMember& Children(std::string v) { children = std::move(v); return *this; }
    SiteMember& Hair(std::string v) { hair = std::move(v); return *this; }
    SiteMember& Zodiac(std::string v) { zodiac = std::move(v); return *this; }
    SiteMember& Figure(std::string v) { figure = std::move(v); return *this; }
    SiteMember& Smoking(std::string v) { smoking = std::move(v); return *this; }
    SiteMember& Narcotic(std::string v) { narcotic = std::move(v); return *this; }
    SiteMember& Alcohol(std::string v) { alcohol = std::move(v); return *this; }
    SiteMember& Economic(std::string v) { economic = std::move(v); return *this; }
    SiteMember& Excite(std::vector<std::string> v) { excite = std::move(v); return *this; }
    SiteMember& Aids(std::string v) { aids = std::move(v); return *this; }
    SiteMember& Limb(std::string v) { limb = std::move(v); return *this; }
    SiteMember& Bust(std::string v) { bust = std::move(v); return *this; }
    SiteMember& Orientation(std::string v) { orientation = std::move(v); return *this; }
    SiteMember& Car(std::string make, std::string model = {}) {
        carMake = std::move(make);
        carModel = std::move(model);
        return *this;
    }
    SiteMember& ViewsPerMonth(int v) { viewsPerMonth = v; return *this; }
    SiteMember& Height(int v) { height = v; return *this; }
    SiteMember& Weight(int v) { weight = v; return *this; }
};

} // namespace testsupport
