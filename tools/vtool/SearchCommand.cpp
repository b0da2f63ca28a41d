// vtool search --server HOST[:PORT] --pages N [--set NAME=VALUE]... [--found FILE]
// Runs one search with the engine, as the program does: the settings are
// the user's own (read from the registry) with the server and page count
// given here, the hits saved earlier are loaded first so that they are not
// found again, and the hits end up in the found file ("LoadedFriends.xml"
// in the data folder unless --found names one). --set gives a search
// condition (a TFinderParams property, such as s_l=F or StatureMin=170) or
// a setting (a TTesselSettings property, such as OnLineScan=1) by name.
// Prints one line per new hit, LOGIN<TAB>NAME<TAB>AGE<TAB>AREA, then
// "hits N elapsed MS". The messages the program would show go to standard
// error; any but the completion message (the site cannot be reached, the
// found file cannot be written) makes the exit code 1. It writes the data
// folder's files as the program does, so it holds the folder as the program
// does and refuses to run while another copy or the program holds it.
#include "Command.h"

#include "data/TdmFriend.h"
#include "platform/HttpConnection.h"
#include "platform/MessageRoutines.h"
#include "platform/ProgramDir.h"
#include "platform/TPersistent.h"
#include "search/CarCatalogue.h"
#include "search/TVelmora.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <charconv>
#include <cstdio>
#include <exception>
#include <string>

namespace {

constexpr const char* Usage = "--server HOST[:PORT] --pages N [--set NAME=VALUE]... [--found FILE]";
constexpr std::string_view Completed = "Поиск завершен.";

bool ParseInt(const std::string& text, int32_t& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

// Sets the published property `name` of `object`; false with a reason in
// `error` when there is none or the value does not fit its kind.
bool SetProperty(platform::TPersistent& object, const platform::TPropInfo& prop, const std::string& value,
                 std::string& error) {
    if (!prop.IsOrdinal()) {
        prop.SetStr(object, value);
        return true;
    }
    int32_t number = 0;
    if (prop.Kind == platform::TTypeKind::Boolean && (value == "true" || value == "false"))
        number = value == "true";
    else if (!ParseInt(value, number)) {
        error = std::string(prop.Name) + " takes a number, not \"" + value + "\"";
        return false;
    }
    prop.SetOrd(object, number);
    return true;
}

// Conditions go to the engine's own parameters (which the program fills from
// the conditions tree); other names are looked up among the settings.
bool ApplySet(search::TVelmora& engine, data::TTesselSettings& settings, const std::string& assignment,
              std::string& error) {
    const size_t eq = assignment.find('=');
    if (eq == std::string::npos || eq == 0) {
        error = "--set wants NAME=VALUE, not \"" + assignment + "\"";
        return false;
    }
    const std::string name = assignment.substr(0, eq), value = assignment.substr(eq + 1);
    if (const platform::TPropInfo* p = platform::FindPropInfo(engine.Params(), name))
        return SetProperty(engine.Params(), *p, value, error);
    if (const platform::TPropInfo* p = platform::FindPropInfo(settings, name))
        return SetProperty(settings, *p, value, error);
    error = "no search condition or setting is named \"" + name + "\"";
    return false;
}

int Search(const vtool::Args& args) {
    const std::string server = vtool::Option(args, "--server");
    int32_t pages = 0;
    const bool pagesOk = ParseInt(vtool::Option(args, "--pages"), pages);
    const auto positional = vtool::Positional(args, {"--server", "--pages", "--set", "--found"});
    if (server.empty() || !pagesOk || !positional.empty()) {
        std::fprintf(stderr, "usage: vtool search %s\n", Usage);
        return 2;
    }
    if (pages < 0 || pages > data::TTesselSettings::MaxPageCount) {
        std::fprintf(stderr, "vtool search: --pages takes 0 to %d\n", data::TTesselSettings::MaxPageCount);
        return 2;
    }
    if (platform::HoldProgramDir() == platform::TProgramDirHold::HeldElsewhere) {
        std::fprintf(stderr, "vtool search: %s\n", platform::ProgramDirHeldElsewhereText().c_str());
        return 1;
    }
    platform::InitHttp();
    try {
        data::TdmFriend dm;
        search::TVelmora engine;
        std::string error;
        for (const std::string& assignment : vtool::Options(args, "--set")) {
            if (!ApplySet(engine, dm.Settings(), assignment, error)) {
                std::fprintf(stderr, "vtool search: %s\n", error.c_str());
                return 2;
            }
        }
        dm.Settings().SetFinderServer(server);
        dm.Settings().SetPageCount(pages);

        const std::string found = vtool::Option(args, "--found");
        engine.SetFoundFriendsFile(found.empty() ? (platform::ProgramDir() / "LoadedFriends.xml").string() : found);
        // A car condition names rows of the car makes, which come from the
        // site's own catalogue (never from another site: this is a local tool).
        if (!engine.Params().car().empty()) search::LoadCarModelsFromSite(engine, server);
        engine.LoadFoundFriends();
        const int known = engine.FoundFriends().RecordCount();

        // What the program would show in its information box.
        bool failed = false;
        platform::TMessageRoutines shown;
        shown.ShowInfoMessage = [&failed](const std::string& message) {
            std::fprintf(stderr, "%s\n", message.c_str());
            if (!message.starts_with(Completed)) failed = true;
            return 0;
        };
        const platform::TMessageRoutines before = platform::BindMessageRoutines(shown);
        struct Unbind {
            platform::TMessageRoutines routines;
            ~Unbind() { platform::BindMessageRoutines(routines); }
        } unbind{before};

        QEventLoop loop;
        engine.OnStop = [&](search::TFinderStateObject&) { loop.quit(); };
        QElapsedTimer clock;
        clock.start();
        engine.Start();
        loop.exec();
        const qint64 elapsed = clock.elapsed();

        data::TFriend& hits = engine.FoundFriends();
        for (int i = known; i < hits.RecordCount(); ++i) {
            const data::TFriendRecord r = data::TFriend::ReadRecord(hits, i);
            std::printf("%s\t%s\t%d\t%s\n", r.Login.c_str(), r.Name.c_str(), r.Age, r.Area.c_str());
        }
        std::printf("hits %d elapsed %lld\n", hits.RecordCount() - known, static_cast<long long>(elapsed));
        // A completion message may carry a failed save of the hits.
        return failed || engine.HasUnsavedHits() ? 1 : 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vtool search: %s\n", e.what());
        return 1;
    }
}

const char* KindName(const platform::TPropInfo& prop) {
    switch (prop.Kind) {
    case platform::TTypeKind::String: return "text";
    case platform::TTypeKind::Boolean: return "true/false";
    default: return "number";
    }
}

std::string Help() {
    std::string text =
        "Searches the site at HOST as the program does and prints the new hits.\n"
        "  --server HOST[:PORT]  the site (for trying: vtool site)\n"
        "  --pages N             result pages to walk, 0 to " +
        std::to_string(data::TTesselSettings::MaxPageCount) +
        "\n"
        "  --set NAME=VALUE      a search condition or setting, by name; repeatable\n"
        "  --found FILE          the found table (default: LoadedFriends.xml in the data folder)\n"
        "Conditions (a list is condition ids joined by \"|\"):\n";
    const data::TFinderParams params;
    std::string line;
    auto list = [&](const platform::TPropInfo& p) {
        const std::string item = std::string(p.Name) + " (" + KindName(p) + ")";
        if (line.size() + item.size() > 76) {
            text += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "  " : ", ") + item;
    };
    for (const platform::TPropInfo& p : params.PublishedProperties()) list(p);
    text += line + "\nSettings:\n";
    line.clear();
    const data::TTesselSettings settings;
    for (const platform::TPropInfo& p : settings.PublishedProperties())
        if (!platform::FindPropInfo(params, p.Name)) list(p);
    text += line +
            "\nExamples:\n"
            "  vtool search --server 127.0.0.1:8080 --pages 3 --set StatureMin=170\n"
            "  vtool search --server 127.0.0.1:8080 --pages 10 --set s_l=F --set s_real=checked --found hits.xml\n"
            "Exit code: 0 when the search ended as it should, 1 when the site could not be reached,\n"
            "the found file not written or the data folder is held by the program or another search,\n"
            "2 for wrong arguments.\n";
    return text;
}

const vtool::Register reg("search", Usage, Search, Help);

} // namespace
