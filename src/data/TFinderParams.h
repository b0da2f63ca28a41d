#pragma once
// The search conditions, one published property per condition. Properties
// are persisted in the registry and copied between parameter objects by
// name (TCustomParams, CopyProperties), in the order declared here.
//
// One-choice conditions hold a single condition id; several-choice ones
// (music, sport, ... car) hold the chosen ids joined by "|"; the flags
// s_p .. ns_real hold "checked" when set and anything else (normally "")
// when not. `target` and `sponsor` are the text form of the owned groups.

#include "data/TCustomParams.h"
#include "data/TSponsor.h"
#include "data/TTarget.h"

#include <array>
#include <cstdint>
#include <string>

namespace data {

class TFinderParams : public TCustomParams {
public:
    // Every string empty, every number 0, every flag off.
    TFinderParams() = default;
    TFinderParams(const TFinderParams&) = delete;
    TFinderParams& operator=(const TFinderParams&) = delete;

    // The 56 conditions in published order.
    platform::TPropList PublishedProperties() const override;

    // The period of the search: "All", "Online", "24h", "Week" or "Month";
    // empty is taken as "All" when a search starts.
    const std::string& s_ty() const { return m_s_ty; }
    void SetS_ty(std::string value) { m_s_ty = std::move(value); }
    // The wanted display name; empty = any.
    const std::string& FriendName() const { return m_FriendName; }
    void SetFriendName(std::string value) { m_FriendName = std::move(value); }
    // Ranges; 0 is an open bound. MyAge: the user's own age, which a profile's
    // wanted age range must contain (0 = no condition).
    int32_t PhotoMin() const { return m_PhotoMin; }
    void SetPhotoMin(int32_t value) { m_PhotoMin = value; }
    int32_t PhotoMax() const { return m_PhotoMax; }
    void SetPhotoMax(int32_t value) { m_PhotoMax = value; }
    int32_t VideoMin() const { return m_VideoMin; }
    void SetVideoMin(int32_t value) { m_VideoMin = value; }
    int32_t VideoMax() const { return m_VideoMax; }
    void SetVideoMax(int32_t value) { m_VideoMax = value; }
    int32_t MonthViewCountMin() const { return m_MonthViewCountMin; }
    void SetMonthViewCountMin(int32_t value) { m_MonthViewCountMin = value; }
    int32_t MonthViewCountMax() const { return m_MonthViewCountMax; }
    void SetMonthViewCountMax(int32_t value) { m_MonthViewCountMax = value; }
    int32_t MyAge() const { return m_MyAge; }
    void SetMyAge(int32_t value) { m_MyAge = value; }
    int32_t StatureMin() const { return m_StatureMin; }
    void SetStatureMin(int32_t value) { m_StatureMin = value; }
    int32_t StatureMax() const { return m_StatureMax; }
    void SetStatureMax(int32_t value) { m_StatureMax = value; }
    int32_t WeightMin() const { return m_WeightMin; }
    void SetWeightMin(int32_t value) { m_WeightMin = value; }
    int32_t WeightMax() const { return m_WeightMax; }
    void SetWeightMax(int32_t value) { m_WeightMax = value; }
    // Gender codes of the user (s_i) and of whom they look for (s_l); the
    // area id (s_c); s_m and s_vw go into the site's search address as they
    // stand; the age range as decimal text (s_f, s_t).
    const std::string& s_i() const { return m_s_i; }
    void SetS_i(std::string value) { m_s_i = std::move(value); }
    const std::string& s_l() const { return m_s_l; }
    void SetS_l(std::string value) { m_s_l = std::move(value); }
    const std::string& s_c() const { return m_s_c; }
    void SetS_c(std::string value) { m_s_c = std::move(value); }
    const std::string& s_m() const { return m_s_m; }
    void SetS_m(std::string value) { m_s_m = std::move(value); }
    const std::string& s_f() const { return m_s_f; }
    void SetS_f(std::string value) { m_s_f = std::move(value); }
    const std::string& s_t() const { return m_s_t; }
    void SetS_t(std::string value) { m_s_t = std::move(value); }
    // Flags: "checked" = on. s_p photos only, s_v video only, s_w no intimate
    // content, s_real real users only; the ns_ flags ask for the opposite.
    const std::string& s_p() const { return m_s_p; }
    void SetS_p(std::string value) { m_s_p = std::move(value); }
    const std::string& s_v() const { return m_s_v; }
    void SetS_v(std::string value) { m_s_v = std::move(value); }
    const std::string& s_w() const { return m_s_w; }
    void SetS_w(std::string value) { m_s_w = std::move(value); }
    const std::string& s_real() const { return m_s_real; }
    void SetS_real(std::string value) { m_s_real = std::move(value); }
    const std::string& s_vw() const { return m_s_vw; }
    void SetS_vw(std::string value) { m_s_vw = std::move(value); }
    const std::string& ns_p() const { return m_ns_p; }
    void SetNs_p(std::string value) { m_ns_p = std::move(value); }
    const std::string& ns_v() const { return m_ns_v; }
    void SetNs_v(std::string value) { m_ns_v = std::move(value); }
    const std::string& ns_w() const { return m_ns_w; }
    void SetNs_w(std::string value) { m_ns_w = std::move(value); }
    const std::string& ns_real() const { return m_ns_real; }
    void SetNs_real(std::string value) { m_ns_real = std::move(value); }
    const std::string& ns_vw() const { return m_ns_vw; }
    void SetNs_vw(std::string value) { m_ns_vw = std::move(value); }
    // The chosen area levels: display names and hierarchical ids.
    const std::string& Country() const { return m_Country; }
    void SetCountry(std::string value) { m_Country = std::move(value); }
    const std::string& Region() const { return m_Region; }
    void SetRegion(std::string value) { m_Region = std::move(value); }
    const std::string& Town() const { return m_Town; }
    void SetTown(std::string value) { m_Town = std::move(value); }
    const std::string& Station() const { return m_Station; }
    void SetStation(std::string value) { m_Station = std::move(value); }
    const std::string& id_Country() const { return m_id_Country; }
    void SetId_Country(std::string value) { m_id_Country = std::move(value); }
    const std::string& id_Region() const { return m_id_Region; }
    void SetId_Region(std::string value) { m_id_Region = std::move(value); }
    const std::string& id_Town() const { return m_id_Town; }
    void SetId_Town(std::string value) { m_id_Town = std::move(value); }
    const std::string& id_Station() const { return m_id_Station; }
    void SetId_Station(std::string value) { m_id_Station = std::move(value); }
    // Chosen rows of the vocabulary group of the same name, ids joined by "|".
    const std::string& music() const { return m_music; }
    void SetMusic(std::string value) { m_music = std::move(value); }
    const std::string& sport() const { return m_sport; }
    void SetSport(std::string value) { m_sport = std::move(value); }
    const std::string& marriage() const { return m_marriage; }
    void SetMarriage(std::string value) { m_marriage = std::move(value); }
    const std::string& children() const { return m_children; }
    void SetChildren(std::string value) { m_children = std::move(value); }
    const std::string& hair() const { return m_hair; }
    void SetHair(std::string value) { m_hair = std::move(value); }
    const std::string& zodiac() const { return m_zodiac; }
    void SetZodiac(std::string value) { m_zodiac = std::move(value); }
    const std::string& figure() const { return m_figure; }
    void SetFigure(std::string value) { m_figure = std::move(value); }
    const std::string& smoking() const { return m_smoking; }
    void SetSmoking(std::string value) { m_smoking = std::move(value); }
    const std::string& narcotic() const { return m_narcotic; }
    void SetNarcotic(std::string value) { m_narcotic = std::move(value); }
    const std::string& alcohol() const { return m_alcohol; }
    void SetAlcohol(std::string value) { m_alcohol = std::move(value); }
    const std::string& economic() const { return m_economic; }
    void SetEconomic(std::string value) { m_economic = std::move(value); }
    const std::string& excite() const { return m_excite; }
    void SetExcite(std::string value) { m_excite = std::move(value); }
    const std::string& AIDS() const { return m_AIDS; }
    void SetAIDS(std::string value) { m_AIDS = std::move(value); }
    const std::string& limb() const { return m_limb; }
    void SetLimb(std::string value) { m_limb = std::move(value); }
    const std::string& bust() const { return m_bust; }
    void SetBust(std::string value) { m_bust = std::move(value); }
    const std::string& orientation() const { return m_orientation; }
    void SetOrientation(std::string value) { m_orientation = std::move(value); }
    const std::string& car() const { return m_car; }
    void SetCar(std::string value) { m_car = std::move(value); }
    // The purposes and the support asked for, as their groups' text.
    std::string target() const { return m_target.GetAsText(); }
    void SetTarget(std::string_view text) { m_target.SetAsText(text); }
    std::string sponsor() const { return m_sponsor.GetAsText(); }
    void SetSponsor(std::string_view text) { m_sponsor.SetAsText(text); }

    // The groups themselves, for the settings page's check boxes.
    TTarget& TargetGroup() { return m_target; }
    const TTarget& TargetGroup() const { return m_target; }
    TSponsor& SponsorGroup() { return m_sponsor; }
    const TSponsor& SponsorGroup() const { return m_sponsor; }
    // The groups to and from the check boxes of a group box (see
    // SetGroupToControls); nothing unless GroupBox is a group box.
    void SetTargetToControl(QObject* GroupBox) const { SetGroupToControls(m_target, GroupBox); }
    void GetTargetFromControl(const QObject* GroupBox) { GetGroupFromControls(m_target, GroupBox); }
    void SetSponsorToControl(QObject* GroupBox) const { SetGroupToControls(m_sponsor, GroupBox); }
    void GetSponsorFromControl(const QObject* GroupBox) { GetGroupFromControls(m_sponsor, GroupBox); }

protected:
    static const std::array<platform::TPropInfo, 56> Properties;

private:

    std::string m_s_ty;
    std::string m_FriendName;
    int32_t m_PhotoMin = 0;
    int32_t m_PhotoMax = 0;
    int32_t m_VideoMin = 0;
    int32_t m_VideoMax = 0;
    int32_t m_MonthViewCountMin = 0;
    int32_t m_MonthViewCountMax = 0;
    int32_t m_MyAge = 0;
    int32_t m_StatureMin = 0;
    int32_t m_StatureMax = 0;
    int32_t m_WeightMin = 0;
    int32_t m_WeightMax = 0;
    std::string m_s_i;
    std::string m_s_l;
    std::string m_s_c;
    std::string m_s_m;
    std::string m_s_f;
    std::string m_s_t;
    std::string m_s_p;
    std::string m_s_v;
    std::string m_s_w;
    std::string m_s_real;
    std::string m_s_vw;
    std::string m_ns_p;
    std::string m_ns_v;
    std::string m_ns_w;
    std::string m_ns_real;
    std::string m_ns_vw;
    std::string m_Country;
    std::string m_Region;
    std::string m_Town;
    std::string m_Station;
    std::string m_id_Country;
    std::string m_id_Region;
    std::string m_id_Town;
    std::string m_id_Station;
    std::string m_music;
    std::string m_sport;
    std::string m_marriage;
    std::string m_children;
    std::string m_hair;
    std::string m_zodiac;
    std::string m_figure;
    std::string m_smoking;
    std::string m_narcotic;
    std::string m_alcohol;
    std::string m_economic;
    std::string m_excite;
    std::string m_AIDS;
    std::string m_limb;
    std::string m_bust;
    std::string m_orientation;
    std::string m_car;
    TTarget m_target;
    TSponsor m_sponsor;
};

} // namespace data
