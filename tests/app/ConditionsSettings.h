#pragma once
// Stored search conditions of every kind, for the conditions form's tests
// and benchmark.

#include "data/TTesselSettings.h"

namespace conditionstest {

// Every kind of stored condition but a car.
inline void FillEverySetting(data::TTesselSettings& s) {
    s.SetS_ty("Week");
    s.SetFriendName("Анна");
    s.SetPhotoMin(2);
    s.SetPhotoMax(5);
    s.SetVideoMin(1);
    s.SetMonthViewCountMin(10);
    s.SetMonthViewCountMax(100);
    s.SetMyAge(30);
    s.SetStatureMin(160);
    s.SetStatureMax(180);
    s.SetWeightMin(50);
    s.SetS_i("M");
    s.SetS_l("F");
    s.SetS_f("25");
    s.SetS_t("35");
    s.SetS_m("12");
    s.SetS_p("checked");
    s.SetS_v("checked");
    s.SetS_w("checked");
    s.SetS_real("checked");
    s.SetNs_v("checked");
    s.SetCountry("Россия");
    s.SetRegion("Москва и область");
    s.SetTown("Москва");
    s.SetStation("Арбатская");
    s.SetId_Country("3159");
    s.SetId_Region("3159_4312_0_0");
    s.SetId_Town("3159_4312_4400_0");
    s.SetId_Station("3159_4312_4400_7");
    s.SetMusic("RapMusic|RockMusic");
    s.SetSport("Swim");
    s.SetMarriage("NoMarriage2");
    s.SetChildren("WantChildren");
    s.SetZodiac("lev");
    s.SetExcite("Jeans|Skin");
    s.SetBust("BigBust");
    s.SetOrientation("Getero");
    s.SetTarget("Love|Intim");
    s.SetSponsor("No");
}

} // namespace conditionstest
