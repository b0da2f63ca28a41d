#pragma once
// The search engine. It walks the result pages of the chosen site, collects
// the profiles listed there as candidates, has each candidate checked against
// the conditions and keeps the hits in the found table.
//
// Everything runs on the user-interface thread, driven by timers: a master
// timer steps a two-phase state machine (fetch a batch of up to 5 result
// pages, then check the candidates in batches of up to 70), and every worker
// has a 10 ms timer whose tick makes one HTTP request. A timer switches
// itself off at the start of its tick, so no tick re-enters.
//
// The requests never block the thread: a tick starts its request and its
// remaining work runs when the answer arrives, from the event loop. Until
// then the tick counts as running: other ticks that come due are held and
// run afterwards in the order they came (the master tick simply waits), so
// the site gets one request at a time, in the order it always did. The
// layout probe at Start is waited for the same way.

#include "data/TFinderParams.h"
#include "data/TFriend.h"
#include "search/TChecker.h"
#include "search/TExtractor.h"
#include "search/TFinderStateObject.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace search {

class TVelmora {
public:
    static constexpr int ExtractorCount = 5;
    static constexpr int CheckerCount = 70;

    // Which page layout the site uses, as the layout probe tells it.
    enum TSiteVersion : uint8_t { svNoAnswer = 0, svOld = 1, svNew = 2 };

    using TNotifyEvent = std::function<void(TFinderStateObject& sender)>;

    TVelmora();
    ~TVelmora();
    TVelmora(const TVelmora&) = delete;
    TVelmora& operator=(const TVelmora&) = delete;

    // Starts a search with Params against the settings' FinderServer, from
    // page 0 whatever an earlier search left behind. The caller has loaded
    // the found table first (LoadFoundFriends). A page count of 0 or less
    // ends the search on the first tick. When neither the layout probe nor
    // the first result page gets any answer from the site, the search stops
    // at once and shows UnreachableMessage instead of the completion message.
    void Start();
    // Switches every timer off, gives up the request in flight, marks every
    // worker done, saves the found table, then fires OnProgress and OnStop.
    // A failed save is shown in the information box, never thrown, and the
    // hits stay in memory.
    void Stop();
    // Stop, handing a failed save's message back instead of showing it
    // (empty when the hits were written, or when that very failure was told
    // already).
    std::string StopQuietly();
    // Switches the master timer off and saves the found table (a failed save
    // is shown, as by Stop); armed workers still finish their one request,
    // and so does a request in flight.
    void Suspend();
    // Switches the master timer on again after Suspend; nothing otherwise.
    void Resume();

    // The found table from FoundFriendsFile: a missing file keeps the table
    // as it is, a damaged one throws data::EXMLTable and leaves it as it
    // was. Nothing when FoundFriendsFile is empty, and nothing while hits
    // that could not be written wait in the table (HasUnsavedHits): a reload
    // would drop them.
    void LoadFoundFriends();
    // The found table to FoundFriendsFile; throws data::EXMLTable on failure
    // (the old file is kept). Nothing when FoundFriendsFile is empty.
    void SaveFoundFriends();
    // SaveFoundFriends for the user: empty when it saved, else the message
    // that the hits were not written, why, and that they stay in the list.
    // Never throws.
    std::string TrySaveFoundFriends();
    // The last save of the found table failed: the table holds what the
    // file does not.
    bool HasUnsavedHits() const { return m_unsavedHits; }
    // A checker appended a hit to the found table. While a search adds hits
    // the table is saved at most HitSaveIntervalMs after each hit and at the
    // end of every check batch, so that a crash loses no more than the hits
    // of the last second. A save that fails then is told once a search
    // (after any box that stands), and the next hit tries again.
    void HitFound();
    static constexpr int HitSaveIntervalMs = 900;
    // The found table as an HTML page; throws data::EXMLTable on failure.
    void ExportFoundToHtml(const std::string& fileName);

    // The layout probe of the site `host`: fetches its home page through the
    // settings' proxy and sets SiteVersion (svNoAnswer when nothing came back)
    // and ProbeError (why no answer came at all, as a message for the user;
    // empty when one came).
    void DetectSiteVersionOf(const std::string& host);
    void DetectSiteVersion() { DetectSiteVersionOf(m_host); }
    bool IsNewSite() const { return m_siteVersion == svNew; }
    const std::string& ProbeError() const { return m_probeError; }
    // The message a search ends with when the site cannot be reached at all,
    // naming the server (or the proxy that failed) and the cause; empty
    // after any other end.
    const std::string& UnreachableMessage() const { return m_unreachableMessage; }
    // True when `s` is non-empty and all of it is the digits 0-9.
    static bool IsAllDigits(std::string_view s);
    // "Поиск завершен. Время выполнения: M:S:Z" for an elapsed time in ms:
    // whole minutes, the second within the minute, the millisecond within
    // the second; a negative time counts as 0.
    static std::string CompletionMessage(int64_t elapsedMs);

    // Fetch phase: true while it goes on (TVelmoraFetch.cpp).
    bool FetchPhase();
    // The search address of result page `page` for the current layout.
    std::string SearchURL(int page);
    // Check phase: true when a check batch is over (TVelmoraCheck.cpp).
    bool CheckPhase();

    // Area catalogue (TVelmoraAreas.cpp): each loader empties `table` and
    // fills it from the site's WAP search pages; a page that fails adds
    // nothing. Ids are stored padded to four "_"-joined levels.
    void LoadCountries(const std::string& idField, const std::string& nameField, data::TXMLTable& table);
    void LoadRegions(const std::string& countryId, const std::string& idField, data::TXMLTable& table,
                     const std::string& nameField);
    void LoadCities(const std::string& countryId, const std::string& regionId, data::TXMLTable& table,
                    const std::string& nameField, const std::string& idField);
    void LoadMetroStations(const std::string& countryId, const std::string& regionId, data::TXMLTable& table,
                           const std::string& nameField, const std::string& idField, const std::string& cityId);
    void LoadAreasFromWap(const std::string& idField, const std::string& nameField, const std::string& suffix,
                          const std::string& prefix, const std::string& kind, int pageCount,
                          const std::string& urlTemplate, data::TXMLTable& table);
    // Asked before each WAP page of an area load with the page's number
    // (from 1) and the number of pages the load walks; answering false ends
    // the load there, keeping the rows read so far. Unset: every page is read.
    std::function<bool(int page, int pageCount)> OnAreaPage;
    // The index of the first record whose `fieldName` holds `value` as the
    // table stores it (see TXMLTable::StoredText); -1 when none.
    static int FindAreaRow(const std::string& fieldName, const std::string& value, const data::TXMLTable& table);

    // A worker's tick asks first. True: the tick runs now, and the worker
    // calls TickOver(worker) once its work is over, answer included. False:
    // another tick waits for the site; `tick` is held and called later.
    bool EnterTick(const void* worker, std::function<void()> tick);
    void TickOver(const void* worker);
    // The worker's timer is on, or its tick is held or running.
    bool Armed(const void* worker, const QTimer& timer) const;

    // The master timer's tick: finishes the search (Stop, then the
    // completion message, or the unreachable message, either followed by a
    // failed save's message) or makes one Step. Never throws: an error stops
    // the search and is shown in the information box.
    void TimerTick();
    void Step();

    // Events; the sender is State().
    TNotifyEvent OnProgress;
    TNotifyEvent OnStop;
    // A checker appended a hit to the found table (before it is written), so
    // that the count the user sees keeps up with the file.
    TNotifyEvent OnHitFound;

    // State the workers read and advance.
    const std::string& Host() const { return m_host; }
    void SetHost(std::string host) { m_host = std::move(host); }
    uint8_t SiteVersion() const { return m_siteVersion; }
    void SetSiteVersion(uint8_t version) { m_siteVersion = version; }
    bool Fetching() const { return m_fetching; }
    int32_t PageIndex() const { return m_pageIndex; }
    void SetPageIndex(int32_t index) { m_pageIndex = index; }
    int32_t CandidateIndex() const { return m_candidateIndex; }
    void SetCandidateIndex(int32_t index) { m_candidateIndex = index; }
    int32_t ProgressTotal() const { return m_progressTotal; }
    const QDateTime& StartTime() const { return m_startTime; }
    TFinderStateObject& State() { return m_state; }
    QTimer& MasterTimer() { return m_masterTimer; }
    uint8_t FetchSubPhase() const { return m_fetchSubPhase; }
    uint8_t CheckSubPhase() const { return m_checkSubPhase; }

    data::TFinderParams& Params() { return m_params; }
    data::TFriend& FoundFriends() { return m_foundFriends; }
    data::TFriend& Candidates() { return m_candidates; }
    const std::string& FoundFriendsFile() const { return m_foundFriendsFile; }
    void SetFoundFriendsFile(std::string file) { m_foundFriendsFile = std::move(file); }

    TExtractor& Extractor(int i) { return *m_extractors.at(static_cast<size_t>(i)); }
    TChecker& Checker(int i) { return *m_checkers.at(static_cast<size_t>(i)); }
    const std::vector<TExtractor*>& ActiveExtractors() const { return m_activeExtractors; }
    const std::vector<TChecker*>& ActiveCheckers() const { return m_activeCheckers; }

private:
    QDateTime m_startTime;
    std::string m_host;
    bool m_fetching = false;
    int32_t m_pageIndex = 0;
    int32_t m_candidateIndex = 0;
    int32_t m_progressTotal = 0;
    QTimer m_masterTimer;
    TFinderStateObject m_state;
    uint8_t m_fetchSubPhase = 0;
    std::array<std::unique_ptr<TExtractor>, ExtractorCount> m_extractors;
    std::vector<TExtractor*> m_activeExtractors;
    uint8_t m_checkSubPhase = 0;
    std::array<std::unique_ptr<TChecker>, CheckerCount> m_checkers;
    std::vector<TChecker*> m_activeCheckers;
    uint8_t m_siteVersion = svNoAnswer;
    std::string m_probeError;
    // Set from Start until the first fetch batch is over.
    bool m_firstBatch = false;
    std::string m_unreachableMessage;
    // Result pages that brought nothing to read, and why the last of them
    // failed: told with the search's end, which would otherwise read as
    // a search that simply found nothing.
    int32_t m_unreadPages = 0;
    std::string m_unreadPageFailure;
    // Result pages that came and were no result pages of the site.
    int32_t m_foreignPages = 0;
    // Hits appended since the found table was last written; the timer that
    // writes them; the time since the last write; the failed write told in
    // this search.
    bool m_hitsPending = false;
    QTimer m_hitSaveTimer;
    QElapsedTimer m_sinceSave;
    std::string m_toldSaveFailure;
    data::TFinderParams m_params;
    data::TFriend m_foundFriends;
    data::TFriend m_candidates;
    std::string m_foundFriendsFile;
    // Whether the master timer is meant to run. Kept apart from the timer,
    // which Step switches off while it works, so that an event handler that
    // stops or pauses the search during a Step is not undone when it ends.
    enum class TRunState : uint8_t { Idle, Running, Suspended };
    TRunState m_runState = TRunState::Idle;
    // The tick (or the layout probe) that waits for the site; the ticks
    // that came due meanwhile, in order; the timer that runs them.
    const void* m_runningTick = nullptr;
    std::deque<std::pair<const void*, std::function<void()>>> m_heldTicks;
    bool m_releasingHeld = false;
    QTimer m_heldTimer;
    std::unique_ptr<TSubmit> m_probe;

    // The probe's answer: the layout, then the search may step.
    void ProbeAnswered(const std::string& page);
    // Writes the hits found since the last save, if any (HitFound).
    void SavePendingHits();
    // What is told when neither the home page nor the first result page came.
    static std::string UnreachableText(const std::string& probeFailure, const std::string& pageFailure);
    // `failure` when it is to be told: empty when it was told already (and
    // no save went well since).
    std::string Untold(const std::string& failure);
    // The end-of-search message, with the pages that brought nothing to read.
    std::string EndMessage();
    void RunHeldTick();

    // Switches every worker's timer off, gives up their requests and held
    // ticks (and the layout probe's) and marks them done.
    void HaltWorkers();
    // Restarts the master timer when the search is meant to run and no tick
    // waits for the site; `soon` asks for the next tick at once instead of
    // after the interval.
    void ArmMasterTimer(bool soon);
    // Called when a worker's tick is over: a batch that is now over wakes
    // the master timer at once rather than at its next poll.
    void WorkerFinished();
    // An error escaped a tick: the search is stopped and the error shown.
    void AbortSearch(const std::string& reason);
    // The probe and the first result page both got no answer at all.
    bool SiteUnreachable();
    bool m_unsavedHits = false;
};

} // namespace search
