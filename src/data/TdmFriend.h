#pragma once
// The program's data module: the one object that creates, owns and frees
// every table, the settings and the active login profile. It is created
// before the main window and lives until the program ends; the rest of the
// program reaches it through dmFriend().
//
// Creating it never fails on the user's files: what is wrong with them (an
// unreadable "Profiles.xml", a profile whose proxy port is no number, a
// profile folder that does not exist) is collected in StartupWarnings() for
// the main window to show, and the program goes on without that part. The
// profile lists themselves are not loaded here; their users load them.

#include "data/TArea.h"
#include "data/TCarGroup.h"
#include "data/TCity.h"
#include "data/TConditionGroup.h"
#include "data/TCountry.h"
#include "data/TFriend.h"
#include "data/TFriendFolderList.h"
#include "data/TProfiles.h"
#include "data/TRegion.h"
#include "data/TServer.h"
#include "data/TStation.h"
#include "data/TTesselProfile.h"
#include "data/TTesselSettings.h"
#include "data/VocabularyTables.h"

#include <array>
#include <string>
#include <vector>

namespace data {

class TdmFriend {
public:
    // Builds every table, loads the settings and the login profiles and
    // resolves the active profile, then becomes the program's module. Throws
    // std::logic_error when a module exists already.
    TdmFriend();
    // Frees everything; nothing is saved.
    ~TdmFriend();
    TdmFriend(const TdmFriend&) = delete;
    TdmFriend& operator=(const TdmFriend&) = delete;

    // The active login profile (as GetActiveProfile last resolved it).
    TTesselProfile& Profile() { return m_profile; }
    // The settings key was absent at start-up.
    bool FirstRun() const { return m_firstRun; }
    TFriendFolderList& FolderList() { return m_folderList; }
    // The favourites, "Friends.xml" (not loaded yet).
    TFriend& Friends() { return m_friends; }
    // The ignored profiles, "Ignore.xml" in the profile's folder (not loaded yet).
    TFriend& Ignore() { return m_ignore; }
    // The site servers, "FinderServers.xml" (not loaded yet).
    TServer& Servers() { return m_servers; }
    TCountry& Countries() { return m_countries; }
    TRegion& Regions() { return m_regions; }
    TCity& Cities() { return m_cities; }
    TStation& Stations() { return m_stations; }

    // The nineteen condition groups, filled with their fixed rows.
    TConditionGroup& ConditionGroup(TVocabularyGroup group) { return m_groups[static_cast<size_t>(group)]; }
    TConditionGroup& TargetGroup() { return ConditionGroup(TVocabularyGroup::Target); }
    TConditionGroup& SponsorGroup() { return ConditionGroup(TVocabularyGroup::Sponsor); }
    TConditionGroup& MusicGroup() { return ConditionGroup(TVocabularyGroup::Music); }
    TConditionGroup& SportGroup() { return ConditionGroup(TVocabularyGroup::Sport); }
    TConditionGroup& MarriageManGroup() { return ConditionGroup(TVocabularyGroup::MarriageMan); }
    TConditionGroup& MarriageWomanGroup() { return ConditionGroup(TVocabularyGroup::MarriageWoman); }
    TConditionGroup& ChildrenGroup() { return ConditionGroup(TVocabularyGroup::Children); }
    TConditionGroup& HairGroup() { return ConditionGroup(TVocabularyGroup::Hair); }
    TConditionGroup& ZodiacGroup() { return ConditionGroup(TVocabularyGroup::Zodiac); }
    TConditionGroup& FigureGroup() { return ConditionGroup(TVocabularyGroup::Figure); }
    TConditionGroup& SmokingGroup() { return ConditionGroup(TVocabularyGroup::Smoking); }
    TConditionGroup& NarcoticGroup() { return ConditionGroup(TVocabularyGroup::Narcotic); }
    TConditionGroup& AlcoholGroup() { return ConditionGroup(TVocabularyGroup::Alcohol); }
    TConditionGroup& EconomicGroup() { return ConditionGroup(TVocabularyGroup::Economic); }
    TConditionGroup& ExciteGroup() { return ConditionGroup(TVocabularyGroup::Excite); }
    TConditionGroup& AIDSGroup() { return ConditionGroup(TVocabularyGroup::AIDS); }
    TConditionGroup& LimbGroup() { return ConditionGroup(TVocabularyGroup::Limb); }
    TConditionGroup& BustGroup() { return ConditionGroup(TVocabularyGroup::Bust); }
    TConditionGroup& OrientationGroup() { return ConditionGroup(TVocabularyGroup::Orientation); }

    // The car makes, empty until the car catalogue fills them.
    TCarGroup& CarGroup() { return m_carGroup; }
    TTesselSettings& Settings() { return m_settings; }
    // The login profiles of "Profiles.xml"; empty when it is missing or damaged.
    TProfiles& Profiles() { return m_profiles; }
    // The active profile's folder at start-up; empty = the data folder
    // (also when the profile names a folder that does not exist).
    const std::string& LocalDir() const { return m_localDir; }

    // Resolves Profile() afresh and returns it. With UseProfile set and a
    // profile row whose Login equals ProfileLogin: that row's login, decoded
    // password, folder and proxy (only "Да" switches the proxy and its
    // authorization on). Otherwise the settings' login and password, no
    // proxy, and the folder as it was. Never raises: a proxy port that is no
    // port number gives no proxy and a ProfileWarning().
    TTesselProfile& GetActiveProfile();
    // What was wrong with the profile row at the last GetActiveProfile; ""
    // when nothing was.
    const std::string& ProfileWarning() const { return m_profileWarning; }

    // Problems met while starting, as messages for the user, in the order
    // met; empty after a clean start.
    const std::vector<std::string>& StartupWarnings() const { return m_startupWarnings; }

private:
    // Creation order: the members are built in this order and the start-up
    // steps follow it.
    TFriend m_friends;
    TFriendFolderList m_folderList;
    TFriend m_ignore;
    TServer m_servers;
    TTesselSettings m_settings;
    TProfiles m_profiles;
    TCountry m_countries;
    TRegion m_regions;
    TCity m_cities;
    TStation m_stations;
    std::array<TConditionGroup, VocabularyGroupCount> m_groups;
    TCarGroup m_carGroup;
    TTesselProfile m_profile;

    bool m_firstRun = false;
    std::string m_localDir;
    std::string m_profileWarning;
    std::vector<std::string> m_startupWarnings;
};

// The program's data module. Throws std::logic_error when none exists.
TdmFriend& dmFriend();
// A data module exists.
bool dmFriendExists();

} // namespace data
