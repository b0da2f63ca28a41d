#pragma once
// A profile checker of the search engine. The engine hands it one candidate;
// on its timer's tick it compares the candidate with the search conditions,
// from the record alone or, when attribute conditions are set, from the
// candidate's profile page (one blocking request), and appends a hit to the
// engine's found table.

#include "data/TFriendRecord.h"
#include "web/TFindTags.h"
#include "web/TSubmit.h"

#include <QTimer>
#include <string>
#include <vector>

namespace data {
class TXMLTable;
class TCarGroup;
}

namespace search {

class TVelmora;

// A wanted car: the make as the site writes it and a model ("" = any).
struct TCarCollectionItem {
    std::string Condition;
    std::string Model;
};

class TChecker {
public:
    explicit TChecker(TVelmora& owner);
    ~TChecker();
    TChecker(const TChecker&) = delete;
    TChecker& operator=(const TChecker&) = delete;

    TVelmora& Owner() const { return m_owner; }
    TSubmit& Submit() { return m_submit; }

    bool Done() const { return m_done; }
    void SetDone(bool done) { m_done = done; }
    // Interval 10 ms, created stopped; the tick stops it first.
    QTimer& Timer() { return m_timer; }
    // The candidate to check.
    data::TFriendRecord& Friend() { return m_friend; }
    const data::TFriendRecord& Friend() const { return m_friend; }

    // Checks the candidate and appends a hit to the found table; never throws.
    void TimerTick();
    // The comparison with the engine's conditions; true for a hit.
    bool CheckProfile();

    // For each row of `group` whose "|" + id + "|" occurs in `selection`, its
    // Condition text is added to `list`.
    static void AddSelectedConditions(const std::string& selection, std::vector<std::string>& list,
                                      const data::TXMLTable& group);
    static void AddSelectedNarcoticConditions(const std::string& selection, std::vector<std::string>& list,
                                              const data::TXMLTable& group);
    static void AddSelectedEconomicConditions(const std::string& selection, std::vector<std::string>& list,
                                              const data::TXMLTable& group);
    static void AddSelectedCarModels(const std::string& selection, std::vector<TCarCollectionItem>& cars,
                                     const data::TCarGroup& group);
    // A "b" whose class is exactly "b-title".
    static bool IsTitleBold(const web::THTMLTag& tag);
    // A "div" whose class is exactly "age".
    static bool IsAgeDiv(const web::THTMLTag& tag);

private:
    // Fetches the candidate's profile page into the finder, as UTF-8; false
    // without a request when the candidate has no address.
    bool FetchProfilePage(bool isNew);

    TVelmora& m_owner;
    TSubmit m_submit;
    web::TFindTags m_finder;
    web::TTagList m_tags;
    web::TTagList m_tags2;
    std::vector<std::string> m_wanted;
    std::vector<TCarCollectionItem> m_cars;
    std::vector<std::string> m_zodiac;
    bool m_done = false;
    QTimer m_timer;
    data::TFriendRecord m_friend;
};

} // namespace search
