// What fetching the cards' photos adds to showing a page of 50 person cards,
// against a local site that answers every request after 200 ms: the page
// built and painted with every card's photo asked for (the photos still on
// their way), against the same page with no photo to fetch at all.
#include "WidgetBenchMain.h"
#include "app/controls/TChatPerson.h"
#include "app/controls/TChatPersonList.h"
#include "app/forms/FormRegistration.h"
#include "app/forms/TPersonPhotoLoader.h"
#include "app/forms/TfrmFavourites.h"
#include "data/TFriend.h"
#include "data/TdmFriend.h"
#include "image/ImageLoaders.h"
#include "platform/ProgramDir.h"
#include "support/ConfigHome.h"
#include "support/MessageRecorder.h"
#include "support/TempDir.h"
#include "support/site/LocalSite.h"

#include <QCoreApplication>
#include <QTabWidget>
#include <benchmark/benchmark.h>

namespace {

using namespace std::chrono_literals;

void ShowCardPage(benchmark::State& state, bool photos) {
    testsupport::ConfigHome config;
    testsupport::TempDir dir;
    testsupport::MessageRecorder messages;
    testsupport::LocalSite site;
    site.SetDelay(200ms);
    platform::SetProgramDir(dir.path());
    {
        data::TdmFriend dm;
        app::RegisterFormClasses();
        image::RegisterImageLoaders();
        for (int i = 0; i < app::TChatPersonList::PageSize; ++i) {
            const std::string login = "m" + std::to_string(i);
            site.Add(testsupport::SiteMember(login).Photos(1));
            // Without a web address a card's photo is not fetched.
            const std::string url = photos ? site.ProfileAddress(login) : "nosite/" + login + "/";
            dm.Friends().AddFriend("Имя " + std::to_string(i), login, url, "Москва", 30, 1, 0, 1, 0, 0, "");
        }
        dm.Friends().Save();
        app::TfrmFavourites form;
        form.resize(686, 385);
        form.show();
        form.pcFavorites->setCurrentWidget(form.tsFavotiteQueues);
        app::TChatPersonList& list = *form.PersonList();
        for (auto _ : state) {
            form.RefreshFavourites();
            for (int i = 0; i < list.Count(); ++i)
                if (photos) form.PhotoLoader().Request(*list.Person(i));
            benchmark::DoNotOptimize(list.grab());
            state.PauseTiming();
            form.PhotoLoader().AbortAll();
            // The window's own events (repaints, freed cards) are handled
            // outside the time, as the event loop would between two pages.
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            state.ResumeTiming();
        }
    }
    platform::SetProgramDir({});
}

void BM_CardPage_PhotosComing(benchmark::State& state) { ShowCardPage(state, true); }
BENCHMARK(BM_CardPage_PhotosComing)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_CardPage_NoPhotos(benchmark::State& state) { ShowCardPage(state, false); }
BENCHMARK(BM_CardPage_NoPhotos)->Unit(benchmark::kMillisecond)->MinTime(2);

} // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
