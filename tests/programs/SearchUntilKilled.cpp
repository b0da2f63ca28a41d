// The whole program, offscreen, searching the site it is given with the
// found list's file in the folder it is given, until it is killed. Each hit
// is told on standard output as it appears in the found list:
//   HIT <steady clock in ms> <login>
//   search_until_killed HOST PROGRAM_DIR CONFIG_DIR PAGES
#include "app/forms/FormRegistration.h"
#include "app/forms/TfrmMain.h"
#include "data/TdmFriend.h"
#include "platform/HttpConnection.h"
#include "platform/MessageRoutines.h"
#include "platform/ProgramDir.h"
#include "search/TVelmora.h"

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 5) return 2;
    platform::InitHttp();
    setenv("XDG_CONFIG_HOME", argv[3], 1);
    QApplication application(argc, argv);
    platform::SetProgramDir(argv[2]);
    app::RegisterFormClasses();
    // No box may wait for an answer: messages go to standard error.
    platform::BindMessageRoutines({});

    auto dm = std::make_unique<data::TdmFriend>();
    dm->Settings().SetFinderServer(argv[1]);
    dm->Settings().SetPageCount(std::atoi(argv[4]));
    // A least height: every candidate's profile page is read, so the hits
    // come one by one over the whole search.
    dm->Settings().SetStatureMin(150);
    dm->Settings().Save();
    app::TfrmMain window;
    window.show();
    window.Engine().Params().SetStatureMin(150);
    window.acStartSearch->Execute();

    data::TFriend& found = window.Engine().FoundFriends();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &watch, [&, told = 0]() mutable {
        const auto now = std::chrono::steady_clock::now().time_since_epoch() / std::chrono::milliseconds(1);
        for (; told < found.RecordCount(); ++told)
            std::printf("HIT %lld %s\n", (long long)now, data::TXMLTable::NodeText(found.RecordNode(told), "Login").c_str());
        std::fflush(stdout);
    });
    watch.start(1);
    return application.exec();
}
