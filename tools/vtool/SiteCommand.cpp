// vtool site [--port N] [--layout old|new] [--utf8] [--members N] [--delay MS] [--result-page-bytes N]
// Runs the local test site in the foreground, with N sample members (30 by
// default), until interrupted; for trying `vtool fetch` (and searches) by hand.
// With --result-page-bytes every result page is instead N bytes of tags, for
// measuring what a huge page costs a search.
#include "Command.h"

#include "platform/Text.h"
#include "support/site/LocalSite.h"

#include <QBuffer>
#include <QColor>
#include <QImage>

#include <csignal>
#include <cstdio>
#include <exception>
#include <string>

namespace {

constexpr const char* Usage =
    "[--port N] [--layout old|new] [--utf8] [--members N] [--delay MS] [--result-page-bytes N]";
// The largest page --result-page-bytes makes.
constexpr int MaxResultPageBytes = 1 << 30;
// Every member's pages are made up front: a bound keeps a typing slip from
// taking all the memory.
constexpr int MaxMembers = 100000;

// The profile pages link a photo of every member who has one; without an
// answer for it the favourites' cards could never show a photo when tried by
// hand. One plain JPEG serves for all of them.
void ServePhotos(testsupport::LocalSite& site, const std::vector<testsupport::SiteMember>& members) {
    QImage image(60, 80, QImage::Format_RGB32);
    image.fill(QColor(120, 170, 210));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPG")) return;
    const std::string jpeg = bytes.toStdString();
    for (const auto& member : members) {
        if (member.photos <= 0) continue;
        for (const char* size : {"_small.jpg", "_medium.jpg"})
            site.Server().Reply("/photos/" + member.login + size, testsupport::HttpReply::Page(jpeg, "image/jpeg"));
    }
}

int Site(const vtool::Args& args) {
    const std::string layoutName = vtool::Option(args, "--layout", "old");
    const int port = text::StrToIntDef(vtool::Option(args, "--port", "0"), -1);
    const int members = text::StrToIntDef(vtool::Option(args, "--members", "30"), -1);
    const int delay = text::StrToIntDef(vtool::Option(args, "--delay", "0"), -1);
    const int pageBytes = text::StrToIntDef(vtool::Option(args, "--result-page-bytes", "0"), -1);
    if ((layoutName != "old" && layoutName != "new") || port < 0 || port > 65535 || members < 0 || delay < 0 ||
        pageBytes < 0 || pageBytes > MaxResultPageBytes) {
        std::fprintf(stderr, "usage: vtool site %s\n", Usage);
        return 2;
    }
    if (members > MaxMembers) {
        std::fprintf(stderr, "vtool site: --members takes 0 to %d\n", MaxMembers);
        return 2;
    }
    // Blocked before the server's threads start, so that they inherit the
    // mask and the signals reach the sigwait below.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    try {
        const auto layout = layoutName == "new" ? testsupport::SiteLayout::New : testsupport::SiteLayout::Old;
        testsupport::LocalSite site(layout, port);
        const bool utf8 = vtool::HasFlag(args, "--utf8");
        if (utf8) site.SetEncoding(testsupport::SiteEncoding::Utf8);
        site.SetDelay(std::chrono::milliseconds(delay));
        const auto samples = testsupport::SiteMember::Samples(members);
        site.Add(samples);
        ServePhotos(site, samples);
        if (pageBytes > 0) {
            std::string huge;
            huge.reserve(size_t(pageBytes) + 3);
            while (huge.size() < size_t(pageBytes)) huge += "<b>";
            huge.resize(size_t(pageBytes));
            site.Server().Route("/search.phtml", [huge = std::move(huge)](const testsupport::HttpRequestRecord&) {
                return testsupport::HttpReply::Page(huge);
            });
        }
        std::printf("Site at http://%s/ (%s layout, %s, %d members, %d ms delay)\n", site.Host().c_str(),
                    layoutName.c_str(), utf8 ? "UTF-8" : "windows-1251", members, delay);
        std::printf("WAP pages at http://wap.%s/; Ctrl+C stops.\n", site.LocalhostHost().c_str());
        std::fflush(stdout);
        int signal = 0;
        sigwait(&stop, &signal);
        std::printf("%zu requests served.\n", site.RequestCount());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vtool site: %s\n", e.what());
        return 1;
    }
    return 0;
}

std::string Help() {
    return "Serves a local copy of the site on 127.0.0.1 until interrupted (Ctrl+C).\n"
           "  --port N         the port (default: any free one); a port in use is refused\n"
           "  --layout old|new the result-page layout (default old)\n"
           "  --utf8           pages in UTF-8 instead of windows-1251\n"
           "  --members N      sample members, 0 to " + std::to_string(MaxMembers) + " (default 30)\n"
           "  --delay MS       wait this long before every answer\n"
           "  --result-page-bytes N\n"
           "                   every result page is N bytes of tags (up to " + std::to_string(MaxResultPageBytes) +
           ")\n";
}

const vtool::Register reg("site", Usage, Site, Help);

} // namespace
