#pragma once
// A search engine wired for tests: a data module of its own (settings from
// a fresh configuration folder, files in a temporary program folder), the
// local site as its server, the message boxes recorded, and every event of
// the engine logged in order.

#include "data/TdmFriend.h"
#include "platform/ProgramDir.h"
#include "search/TVelmora.h"
#include "support/ConfigHome.h"
#include "support/MessageRecorder.h"
#include "support/TempDir.h"
#include "support/site/LocalSite.h"

#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace enginetest {

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetProgramDir(dir.path());
        dm = std::make_unique<data::TdmFriend>();
        engine = std::make_unique<search::TVelmora>();
        engine->SetFoundFriendsFile((dir / "LoadedFriends.xml").string());
        engine->OnProgress = [this](search::TFinderStateObject& s) {
            log.push_back("progress " + std::to_string(s.Position) + "/" + std::to_string(s.Max));
            if (onProgress) onProgress(s);
        };
        engine->OnStop = [this](search::TFinderStateObject&) {
            log.push_back("stop");
            messagesAtStop = messages.Calls().size();
            if (loop) loop->quit();
        };
    }

    void TearDown() override {
        engine.reset();
        dm.reset();
        platform::SetProgramDir({});
    }

    // The settings a search reads: the server and the number of pages.
    void Configure(const testsupport::LocalSite& site, int pages) {
        dm->Settings().SetFinderServer(site.Host());
        dm->Settings().SetPageCount(pages);
    }

    // Runs the event loop until OnStop fires; false after `timeoutMs`.
    bool RunUntilStopped(int timeoutMs = 30000) {
        QEventLoop eventLoop;
        bool timedOut = false;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &eventLoop, [&] {
            timedOut = true;
            eventLoop.quit();
        });
        guard.start(timeoutMs);
        loop = &eventLoop;
        eventLoop.exec();
        loop = nullptr;
        return !timedOut;
    }

    // Start, then run until the search stops.
    bool Search(int timeoutMs = 30000) {
        engine->LoadFoundFriends();
        engine->Start();
        return RunUntilStopped(timeoutMs);
    }

    std::vector<std::string> FoundLogins() {
        std::vector<std::string> logins;
        engine->FoundFriends().FillStrings("Login", logins);
        return logins;
    }

    testsupport::ConfigHome config;
    testsupport::TempDir dir;
    std::unique_ptr<data::TdmFriend> dm;
    std::unique_ptr<search::TVelmora> engine;
    std::vector<std::string> log;
    testsupport::MessageRecorder messages;
    size_t messagesAtStop = 0; // messages shown before the last OnStop
    std::function<void(search::TFinderStateObject&)> onProgress;

private:
    QEventLoop* loop = nullptr;
};

// An engine over a data module of its own in a temporary program folder,
// for tests that drive the engine's phases by hand.
class EnginePhaseTest : public ::testing::Test {
protected:
    EnginePhaseTest() { platform::SetProgramDir(m_dir.path()); }
    ~EnginePhaseTest() override { platform::SetProgramDir({}); }

    // The candidates found so far, in table order.
    std::vector<data::TFriendRecord> Rows() {
        std::vector<data::TFriendRecord> rows;
        for (int i = 0; i < engine.Candidates().RecordCount(); ++i)
            rows.push_back(data::TFriend::ReadRecord(engine.Candidates(), i));
        return rows;
    }

    testsupport::TempDir m_dir;
    data::TdmFriend dm;
    search::TVelmora engine;
};

} // namespace enginetest
