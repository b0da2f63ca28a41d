#include "data/TFinderParams.h"

namespace data {

using platform::IntegerField;
using platform::StringField;
using platform::TPersistent;
using platform::TPropInfo;
using platform::TTypeKind;

constinit const std::array<TPropInfo, 56> TFinderParams::Properties = {
    StringField<TFinderParams, &TFinderParams::m_s_ty>("s_ty"),
    StringField<TFinderParams, &TFinderParams::m_FriendName>("FriendName"),
    IntegerField<TFinderParams, &TFinderParams::m_PhotoMin>("PhotoMin"),
    IntegerField<TFinderParams, &TFinderParams::m_PhotoMax>("PhotoMax"),
    IntegerField<TFinderParams, &TFinderParams::m_VideoMin>("VideoMin"),
    IntegerField<TFinderParams, &TFinderParams::m_VideoMax>("VideoMax"),
    IntegerField<TFinderParams, &TFinderParams::m_MonthViewCountMin>("MonthViewCountMin"),
    IntegerField<TFinderParams, &TFinderParams::m_MonthViewCountMax>("MonthViewCountMax"),
    IntegerField<TFinderParams, &TFinderParams::m_MyAge>("MyAge"),
    IntegerField<TFinderParams, &TFinderParams::m_StatureMin>("StatureMin"),
    IntegerField<TFinderParams, &TFinderParams::m_StatureMax>("StatureMax"),
    IntegerField<TFinderParams, &TFinderParams::m_WeightMin>("WeightMin"),
    IntegerField<TFinderParams, &TFinderParams::m_WeightMax>("WeightMax"),
    StringField<TFinderParams, &TFinderParams::m_s_i>("s_i"),
    StringField<TFinderParams, &TFinderParams::m_s_l>("s_l"),
    StringField<TFinderParams, &TFinderParams::m_s_c>("s_c"),
    StringField<TFinderParams, &TFinderParams::m_s_m>("s_m"),
    StringField<TFinderParams, &TFinderParams::m_s_f>("s_f"),
    StringField<TFinderParams, &TFinderParams::m_s_t>("s_t"),
    StringField<TFinderParams, &TFinderParams::m_s_p>("s_p"),
    StringField<TFinderParams, &TFinderParams::m_s_v>("s_v"),
    StringField<TFinderParams, &TFinderParams::m_s_w>("s_w"),
    StringField<TFinderParams, &TFinderParams::m_s_real>("s_real"),
    StringField<TFinderParams, &TFinderParams::m_s_vw>("s_vw"),
    StringField<TFinderParams, &TFinderParams::m_ns_p>("ns_p"),
    StringField<TFinderParams, &TFinderParams::m_ns_v>("ns_v"),
    StringField<TFinderParams, &TFinderParams::m_ns_w>("ns_w"),
    StringField<TFinderParams, &TFinderParams::m_ns_real>("ns_real"),
    StringField<TFinderParams, &TFinderParams::m_ns_vw>("ns_vw"),
    StringField<TFinderParams, &TFinderParams::m_Country>("Country"),
    StringField<TFinderParams, &TFinderParams::m_Region>("Region"),
    StringField<TFinderParams, &TFinderParams::m_Town>("Town"),
    StringField<TFinderParams, &TFinderParams::m_Station>("Station"),
    StringField<TFinderParams, &TFinderParams::m_id_Country>("id_Country"),
    StringField<TFinderParams, &TFinderParams::m_id_Region>("id_Region"),
    StringField<TFinderParams, &TFinderParams::m_id_Town>("id_Town"),
    StringField<TFinderParams, &TFinderParams::m_id_Station>("id_Station"),
    StringField<TFinderParams, &TFinderParams::m_music>("music"),
    StringField<TFinderParams, &TFinderParams::m_sport>("sport"),
    StringField<TFinderParams, &TFinderParams::m_marriage>("marriage"),
    StringField<TFinderParams, &TFinderParams::m_children>("children"),
    StringField<TFinderParams, &TFinderParams::m_hair>("hair"),
    StringField<TFinderParams, &TFinderParams::m_zodiac>("zodiac"),
    StringField<TFinderParams, &TFinderParams::m_figure>("figure"),
    StringField<TFinderParams, &TFinderParams::m_smoking>("smoking"),
    StringField<TFinderParams, &TFinderParams::m_narcotic>("narcotic"),
    StringField<TFinderParams, &TFinderParams::m_alcohol>("alcohol"),
    StringField<TFinderParams, &TFinderParams::m_economic>("economic"),
    StringField<TFinderParams, &TFinderParams::m_excite>("excite"),
    StringField<TFinderParams, &TFinderParams::m_AIDS>("AIDS"),
    StringField<TFinderParams, &TFinderParams::m_limb>("limb"),
    StringField<TFinderParams, &TFinderParams::m_bust>("bust"),
    StringField<TFinderParams, &TFinderParams::m_orientation>("orientation"),
    StringField<TFinderParams, &TFinderParams::m_car>("car"),
    TPropInfo{"target", TTypeKind::String, nullptr, nullptr,
              [](const TPersistent& o) { return static_cast<const TFinderParams&>(o).target(); },
              [](TPersistent& o, const std::string& v) { static_cast<TFinderParams&>(o).SetTarget(v); }},
    TPropInfo{"sponsor", TTypeKind::String, nullptr, nullptr,
              [](const TPersistent& o) { return static_cast<const TFinderParams&>(o).sponsor(); },
              [](TPersistent& o, const std::string& v) { static_cast<TFinderParams&>(o).SetSponsor(v); }},
};

platform::TPropList TFinderParams::PublishedProperties() const { return Properties; }

} // namespace data
