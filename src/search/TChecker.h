#pragma once
// A profile checker of the search engine. The engine hands it one candidate;
// on its timer's tick it compares the candidate with the search conditions,
// from the record alone or, when attribute conditions are set, from the
// candidate's profile page (one request, whose answer the tick's second half
// reads when it arrives), and appends a hit to the engine's found table.

#include "data/TFriendRecord.h"
#include "web/TFindTags.h"
#include "web/TSubmit.h"

#include <QTimer>
#include <cstdint>
#include <string>
#include <string_view>
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

    // Checks the candidate and appends a hit to the found table, the page
    // read when it arrives; never throws. Done once all of that is over.
    void TimerTick();
    // Gives up a check that waits for its page: it never ends.
    void Cancel();
    // The comparison with the engine's conditions, waiting for the page;
    // true for a hit.
    bool CheckProfile();
    // The tests of the profile page `page` (as fetched) alone; true when it
    // passes them. The page and its tokens are freed afterwards.
    bool CheckPage(std::string_view page);

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
    enum class TVerdict : uint8_t { Fail, Pass, NeedsPage };
    // The tests the record answers; NeedsPage when conditions remain that
    // only the profile page answers.
    TVerdict CheckRecord();
    // The candidate's profile page; empty when the candidate has no address.
    std::string ProfilePageURL(bool isNew) const;
    bool CheckTokenizedPage();
    // The tick is over: a hit goes to the found table.
    void Finish(bool hit);

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
