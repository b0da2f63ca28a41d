// The engine's own state machine: Start, the master tick and its Step,
// Stop, Suspend and Resume, and the found table's file. The fetch and
// check phases that Step drives live in TVelmoraFetch.cpp and
// TVelmoraCheck.cpp.
//
// Cadence: a Step that leaves the engine waiting on armed workers re-arms
// the master timer at its 10 ms interval and the tick polls the batch from
// then on; every other Step (a batch just over, a phase switch) asks for
// the next tick at once, and the last worker of a batch wakes the master
// timer as it finishes. Ticks thus follow the same sequence as with plain
// 10 ms polling, without the idle wait after each batch.
//
// While a tick waits for the site the master timer stays off (a tick that
// comes due is dropped; TickOver starts it again) and worker ticks that come
// due are held, to run one by one, each from its own turn of the event loop.
#include "search/TVelmora.h"
#include "search/SitePage.h"

#include "data/ExportToHTML.h"
#include "data/TdmFriend.h"
#include "platform/MessageRoutines.h"
#include "web/TSubmit.h"

#include <algorithm>
#include <exception>
#include <limits>

namespace search {
namespace {

constexpr int TimerInterval = 10; // ms, of the master timer and of every worker's

// Progress units: a search of N pages counts 14 × N; each page walked adds 13.
constexpr int64_t ProgressPerPage = 14;
constexpr int64_t ProgressPerPageWalked = 13;

constexpr std::string_view NewLayoutMark = "class=\"register-button\"";

// Bounded by the settings, so neither the page index (at most the page
// count plus one) nor the progress (14 units a page) can overflow.
int32_t PageCount() { return data::dmFriend().Settings().PageCount(); }

int32_t ClampToInt32(int64_t value, int64_t low, int64_t high) {
    return static_cast<int32_t>(std::clamp(value, low, high));
}

template <class Worker>
bool BatchOver(const TVelmora& engine, const std::vector<Worker*>& active) {
    return std::all_of(active.begin(), active.end(), [](Worker* w) { return w->Done(); }) ||
           std::all_of(active.begin(), active.end(), [&](Worker* w) { return !engine.Armed(w, w->Timer()); });
}

// The engine waits on armed workers that have not all finished.
bool WaitingOnWorkers(TVelmora& engine) {
    if (engine.FetchSubPhase() == 1 && !BatchOver(engine, engine.ActiveExtractors())) return true;
    if (engine.CheckSubPhase() == 1 && !BatchOver(engine, engine.ActiveCheckers())) return true;
    return false;
}

} // namespace

TVelmora::TVelmora() {
    m_candidates.Open();
    m_masterTimer.setInterval(TimerInterval);
    QObject::connect(&m_masterTimer, &QTimer::timeout, &m_masterTimer, [this] { TimerTick(); });
    m_heldTimer.setSingleShot(true);
    m_heldTimer.setInterval(0);
    QObject::connect(&m_heldTimer, &QTimer::timeout, &m_heldTimer, [this] { RunHeldTick(); });
    m_hitSaveTimer.setSingleShot(true);
    QObject::connect(&m_hitSaveTimer, &QTimer::timeout, &m_hitSaveTimer, [this] { SavePendingHits(); });
    m_sinceSave.start();
    for (auto& e : m_extractors) e = std::make_unique<TExtractor>(*this);
    for (auto& c : m_checkers) c = std::make_unique<TChecker>(*this);
}

TVelmora::~TVelmora() = default;

void TVelmora::HaltWorkers() {
    m_heldTimer.stop();
    m_heldTicks.clear();
    m_runningTick = nullptr;
    if (m_probe) m_probe->Abort();
    for (auto& e : m_extractors) {
        e->Timer().stop();
        e->Cancel();
        e->SetDone(true);
    }
    for (auto& c : m_checkers) {
        c->Timer().stop();
        c->Cancel();
        c->SetDone(true);
    }
}

bool TVelmora::EnterTick(const void* worker, std::function<void()> tick) {
    // A tick that comes due while others are held queues behind them.
    if (m_runningTick || (!m_heldTicks.empty() && !m_releasingHeld)) {
        m_heldTicks.emplace_back(worker, std::move(tick));
        return false;
    }
    m_runningTick = worker;
    return true;
}

void TVelmora::TickOver(const void* worker) {
    if (m_runningTick != worker) return; // called off by Stop or Start meanwhile
    m_runningTick = nullptr;
    if (!m_heldTicks.empty()) m_heldTimer.start();
    WorkerFinished();
}

void TVelmora::RunHeldTick() {
    if (m_runningTick || m_heldTicks.empty()) return;
    const std::function<void()> tick = std::move(m_heldTicks.front().second);
    m_heldTicks.pop_front();
    m_releasingHeld = true;
    try {
        tick(); // every worker tick catches its own failures
    } catch (...) {
    }
    m_releasingHeld = false;
    if (!m_runningTick && !m_heldTicks.empty()) m_heldTimer.start();
}

bool TVelmora::Armed(const void* worker, const QTimer& timer) const {
    return timer.isActive() || m_runningTick == worker ||
           std::any_of(m_heldTicks.begin(), m_heldTicks.end(), [worker](const auto& held) { return held.first == worker; });
}

void TVelmora::Start() {
    // A search stopped in the middle of a batch leaves armed workers and
    // sub-phases behind; the new search starts from scratch at page 0.
    m_runState = TRunState::Idle;
    m_masterTimer.stop();
    HaltWorkers();
    m_activeExtractors.clear();
    m_activeCheckers.clear();
    m_fetchSubPhase = 0;
    m_checkSubPhase = 0;

    m_startTime = QDateTime::currentDateTimeUtc();
    m_host = data::dmFriend().Settings().FinderServer();
    m_unreachableMessage.clear();
    m_unreadPages = 0;
    m_unreadPageFailure.clear();
    m_foreignPages = 0;
    m_hitsPending = false;
    m_hitSaveTimer.stop();
    m_toldSaveFailure.clear();
    // The layout probe: the search steps once it is answered.
    m_siteVersion = svNoAnswer;
    m_probeError.clear();
    m_probe = std::make_unique<TSubmit>();
    FetchSitePageAsync(*m_probe, "http://" + m_host, [this](std::string page) { ProbeAnswered(page); });
    m_runningTick = m_probe.get();
    m_firstBatch = true;
    m_pageIndex = 0;
    m_candidateIndex = 0;
    m_fetching = true;
    m_progressTotal = ClampToInt32(ProgressPerPage * PageCount(), 0, std::numeric_limits<int32_t>::max());
    m_state.Position = 0;
    m_state.Max = m_progressTotal;
    m_candidates.ClearRecords();
    m_runState = TRunState::Running;
    ArmMasterTimer(false);
    if (OnProgress) OnProgress(m_state);
}

void TVelmora::Stop() {
    const std::string failure = StopQuietly();
    if (!failure.empty()) platform::ShowInfoMessage(failure);
}

std::string TVelmora::StopQuietly() {
    m_runState = TRunState::Idle;
    m_masterTimer.stop();
    HaltWorkers();
    const std::string failure = Untold(TrySaveFoundFriends());
    m_state.Position = 0;
    m_state.Max = m_progressTotal;
    if (OnProgress) OnProgress(m_state);
    if (OnStop) OnStop(m_state);
    return failure;
}

void TVelmora::Suspend() {
    if (m_runState == TRunState::Running) m_runState = TRunState::Suspended;
    m_masterTimer.stop();
    if (const std::string failure = Untold(TrySaveFoundFriends()); !failure.empty()) platform::ShowInfoMessage(failure);
}

void TVelmora::Resume() {
    if (m_runState != TRunState::Suspended) return;
    m_runState = TRunState::Running;
    ArmMasterTimer(!WaitingOnWorkers(*this));
}

void TVelmora::LoadFoundFriends() {
    if (m_foundFriendsFile.empty() || m_unsavedHits) return;
    m_foundFriends.LoadFromFile(m_foundFriendsFile);
}

void TVelmora::SaveFoundFriends() {
    if (m_foundFriendsFile.empty()) return;
    // Whatever the outcome, the hits so far had their try: the next one
    // waits for the next hit and its interval.
    m_hitsPending = false;
    m_hitSaveTimer.stop();
    m_sinceSave.restart();
    try {
        m_foundFriends.SaveToFile(m_foundFriendsFile);
    } catch (...) {
        m_unsavedHits = true;
        throw;
    }
    m_unsavedHits = false;
}

void TVelmora::HitFound() {
    if (OnHitFound) OnHitFound(m_state);
    if (m_runState == TRunState::Idle || m_foundFriendsFile.empty()) return;
    m_hitsPending = true;
    if (m_hitSaveTimer.isActive()) return;
    // A hit after a quiet spell is written at once; hits that come close
    // together are written together, once an interval after the last write.
    m_hitSaveTimer.start(int(std::max<qint64>(0, HitSaveIntervalMs - m_sinceSave.elapsed())));
}

void TVelmora::SavePendingHits() {
    if (!m_hitsPending) return;
    if (const std::string failure = Untold(TrySaveFoundFriends()); !failure.empty()) platform::PostInfoMessage(failure);
}

// A save that keeps failing the same way is told once: every second's try,
// and the end, would otherwise tell it again. A save that went well ends it.
std::string TVelmora::Untold(const std::string& failure) {
    if (failure.empty()) m_toldSaveFailure.clear();
    if (failure.empty() || failure == m_toldSaveFailure) return {};
    m_toldSaveFailure = failure;
    return failure;
}

// Stop and Suspend must finish whatever the disk says, or the window would
// stay in its searching state for good: a failed save is told and the hits
// stay in memory for the next save.
std::string TVelmora::TrySaveFoundFriends() {
    try {
        SaveFoundFriends();
        return {};
    } catch (const std::exception& e) {
        return "Найденные анкеты не сохранены. " + std::string(e.what()) +
               ".\nОни остаются в списке «Найденные», пока программа открыта, и будут записаны при следующем "
               "сохранении.";
    }
}

void TVelmora::ExportFoundToHtml(const std::string& fileName) { data::ExportToHTML(m_foundFriends, fileName); }

void TVelmora::DetectSiteVersionOf(const std::string& host) {
    m_siteVersion = svNoAnswer;
    m_probeError.clear();
    TSubmit client;
    const std::string page = FetchSitePage(client, "http://" + host);
    if (!page.empty())
        m_siteVersion = page.find(NewLayoutMark) != std::string::npos ? svNew : svOld;
    else if (client.LastFailure() == TSubmitFailure::Network)
        m_probeError = client.FailureMessage();
}

// Only a site that never answered: one that answered with an error status,
// or with pages that list nobody, ends as a search that found nothing.
bool TVelmora::SiteUnreachable() {
    if (!m_firstBatch || m_probeError.empty() || m_fetchSubPhase != 1 || m_activeExtractors.empty()) return false;
    const TExtractor& first = *m_activeExtractors.front(); // page 0
    return first.Done() && !first.NetworkError().empty();
}

// The site answered neither the home page nor the first result page, asked
// one after the other: both are told, so that the time told ("нет ответа за
// 30 с" twice) is the time the user waited.
std::string TVelmora::UnreachableText(const std::string& probeFailure, const std::string& pageFailure) {
    if (probeFailure == pageFailure) return pageFailure + " — и на главную страницу, и на страницу результатов";
    return pageFailure + " (главная страница: " + probeFailure + ")";
}

void TVelmora::ProbeAnswered(const std::string& page) {
    if (!page.empty())
        m_siteVersion = page.find(NewLayoutMark) != std::string::npos ? svNew : svOld;
    else if (m_probe->LastFailure() == TSubmitFailure::Network)
        m_probeError = m_probe->FailureMessage();
    TickOver(m_probe.get());
}

// Whole minutes, not the minute within the hour: an hour-long search must
// not read as a two-minute one.
std::string TVelmora::CompletionMessage(int64_t elapsedMs) {
    elapsedMs = std::max<int64_t>(elapsedMs, 0);
    return "Поиск завершен. Время выполнения: " + std::to_string(elapsedMs / 60000) + ":" +
           std::to_string(elapsedMs / 1000 % 60) + ":" + std::to_string(elapsedMs % 1000);
}

bool TVelmora::IsAllDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

void TVelmora::TimerTick() {
    if (m_runningTick) {
        // A tick waits for the site; its end starts the master timer again.
        m_masterTimer.stop();
        return;
    }
    try {
        // The end is told in one message, with a failed save after it, and
        // after any box that stands (the close question among them).
        auto finish = [this](std::string message) {
            if (const std::string failure = StopQuietly(); !failure.empty()) message += "\n\n" + failure;
            platform::PostInfoMessage(message);
        };
        if (SiteUnreachable()) {
            m_unreachableMessage = UnreachableText(m_probeError, m_activeExtractors.front()->NetworkError());
            finish(m_unreachableMessage);
            return;
        }
        if (PageCount() <= m_pageIndex && m_fetchSubPhase == 0 && m_checkSubPhase == 0 &&
            m_candidates.RecordCount() <= m_candidateIndex) {
            finish(EndMessage());
            return;
        }
        Step();
    } catch (const std::exception& e) {
        AbortSearch(e.what());
    } catch (...) {
        AbortSearch("Поиск прерван: неизвестная ошибка");
    }
}

std::string TVelmora::EndMessage() {
    std::string message = CompletionMessage(m_startTime.msecsTo(QDateTime::currentDateTimeUtc()));
    const std::string pages = " из " + std::to_string(PageCount()) + ".\n";
    if (m_unreadPages > 0)
        message += "\n\nНе получено страниц результатов: " + std::to_string(m_unreadPages) + pages + m_unreadPageFailure;
    // Pages that came but list nobody in a way the site does: an empty
    // search would read the same without this.
    if (m_foreignPages > 0)
        message += "\n\nНе распознано страниц результатов: " + std::to_string(m_foreignPages) + pages + "Сервер " +
                   m_host + " прислал страницы, на которых нет ни списка анкет, ни сообщения «Пользователи не "
                   "найдены»: похоже, это не сайт знакомств или у него другой адрес.";
    return message;
}

void TVelmora::Step() {
    m_masterTimer.stop();
    if (m_fetching) {
        m_fetching = FetchPhase();
        if (!m_fetching) m_firstBatch = false;
    } else if (CheckPhase()) {
        // A check batch is over: its hits are written before the next one.
        SavePendingHits();
        if (m_candidates.RecordCount() <= m_candidateIndex) {
            ++m_pageIndex;
            if (PageCount() > m_pageIndex) {
                m_candidates.ClearRecords();
                m_candidateIndex = 0;
                m_fetching = true;
            }
        }
    }
    // The page count may have grown since Start; the bar never runs past its end.
    m_state.Position = ClampToInt32(ProgressPerPageWalked * m_pageIndex, 0, m_state.Max);
    if (OnProgress) OnProgress(m_state);
    ArmMasterTimer(!WaitingOnWorkers(*this));
}

void TVelmora::ArmMasterTimer(bool soon) {
    if (m_runState != TRunState::Running || m_runningTick) return;
    const int interval = soon ? 0 : TimerInterval;
    if (!m_masterTimer.isActive() || m_masterTimer.interval() > interval) m_masterTimer.start(interval);
}

void TVelmora::WorkerFinished() {
    // No more requests to a site that cannot be reached: the next tick ends the search.
    if (m_runState == TRunState::Running && SiteUnreachable()) {
        HaltWorkers();
        ArmMasterTimer(true);
        return;
    }
    ArmMasterTimer(!WaitingOnWorkers(*this));
}

void TVelmora::AbortSearch(const std::string& reason) {
    try {
        if (const std::string failure = StopQuietly(); !failure.empty()) platform::PostInfoMessage(failure);
    } catch (...) {
        // An event handler failed while stopping; the timers are off already.
    }
    try {
        platform::PostInfoMessage(reason);
    } catch (...) {
    }
}

} // namespace search
