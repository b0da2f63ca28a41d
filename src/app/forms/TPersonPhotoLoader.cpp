#include "app/forms/TPersonPhotoLoader.h"

#include "app/controls/TChatPerson.h"
#include "app/forms/WebAddress.h"
#include "data/TdmFriend.h"
#include "image/TImageLoader.h"
#include "platform/QtText.h"
#include "platform/Text.h"
#include "search/SitePage.h"
#include "web/TFindTags.h"
#include "web/THTMLTag.h"
#include "web/TSubmit.h"

#include <QUrl>
#include <algorithm>
#include <stdexcept>

namespace app {
namespace {

constexpr std::string_view MediumPhoto = "_medium.jpg";

// An "img" tag whose "src" names a profile's medium-sized photo.
bool IsMediumPhotoImg(const web::THTMLTag& tag) {
    return text::SameTextAscii(tag.Name(), "img") &&
           web::TFindTags::GetParamValue(&tag, "src").find(MediumPhoto) != std::string::npos;
}

} // namespace

// One card under way: its profile page through `page`, then its photo
// through `loader`. `card` tells the card by its address even once it is
// gone; `guard` is the card while it lives.
struct TPersonPhotoLoader::TSlot {
    std::unique_ptr<TSubmit> page = std::make_unique<TSubmit>();
    std::unique_ptr<image::TImageLoader> loader = std::make_unique<image::TImageLoader>();
    const QObject* card = nullptr;
    QPointer<TChatPerson> guard;
    QMetaObject::Connection gone;
};

TPersonPhotoLoader::TPersonPhotoLoader(QObject* owner) : QObject(owner) {
    for (auto& slot : m_slots) {
        slot = std::make_unique<TSlot>();
        slot->loader->hide();
        slot->loader->OnLoaded = [this, s = slot.get()](image::TImageLoader&) { PhotoArrived(*s); };
    }
}

TPersonPhotoLoader::~TPersonPhotoLoader() { AbortAll(); }

int TPersonPhotoLoader::InFlight() const {
    return int(std::count_if(m_slots.begin(), m_slots.end(), [](const auto& slot) { return slot->card != nullptr; }));
}

void TPersonPhotoLoader::Request(TChatPerson& card) {
    const bool known =
        std::any_of(m_slots.begin(), m_slots.end(), [&](const auto& slot) { return slot->card == &card; }) ||
        std::any_of(m_waiting.begin(), m_waiting.end(), [&](const auto& waiting) { return waiting == &card; });
    if (known) return;
    m_waiting.emplace_back(&card);
    StartNext();
}

void TPersonPhotoLoader::AbortAll() {
    m_waiting.clear();
    for (auto& slot : m_slots) {
        if (!slot->card) continue;
        slot->page->Abort();
        slot->page->Disconnect();
        slot->loader->Abort();
        Release(*slot);
    }
}

void TPersonPhotoLoader::StartNext() {
    for (auto& slot : m_slots) {
        if (slot->card) continue;
        while (!slot->card && !m_waiting.empty()) {
            const QPointer<TChatPerson> card = m_waiting.front();
            m_waiting.pop_front();
            if (card) Begin(*slot, *card);
        }
        if (m_waiting.empty()) return;
    }
}

void TPersonPhotoLoader::Begin(TSlot& slot, TChatPerson& card) {
    slot.card = &card;
    slot.guard = &card;
    slot.gone = connect(&card, &QObject::destroyed, this, [this](QObject* gone) { CardGone(gone); });
    try {
        search::FetchSitePageAsync(*slot.page, card.URL(), [this, &slot](std::string page) { PageArrived(slot, page); });
    } catch (const std::exception& error) {
        // Only a card without an address gets here: it simply stays without a photo.
        qWarning("Photo of %s not loaded: %s", card.URL().c_str(), error.what());
        Release(slot);
    }
}

void TPersonPhotoLoader::PageArrived(TSlot& slot, const std::string& page) {
    try {
        TChatPerson* card = slot.guard;
        if (!card) throw std::runtime_error("the card is gone");
        web::TFindTags finder;
        search::SetSitePage(finder, page);
        const web::THTMLTag* photo = finder.FindFirstTag("img", IsMediumPhotoImg);
        const std::string address =
            photo ? SmallPhotoAddress(card->URL(), web::TFindTags::GetParamValue(photo, "src")) : std::string();
        if (!address.empty()) {
            image::TImageLoader& loader = *slot.loader;
            loader.SetURL(address);
            loader.SetImageType(PhotoImageType(address));
            data::dmFriend().Settings().ProxyParams().ApplyToClient(loader.Submit());
            loader.Start();
            return;
        }
        // A profile whose photos the result page counted shows none: its
        // page failed, or holds no photo the program knows.
        if (card->PhotoCount() > 0 || slot.page->LastFailure() != TSubmitFailure::None)
            card->SetPhotoFailure(slot.page->LastFailure() != TSubmitFailure::None
                                      ? slot.page->FailureMessage()
                                      : "на странице анкеты нет фото");
    } catch (const std::exception& error) {
        // The card simply stays without a photo.
        qWarning("Photo not loaded: %s", error.what());
    }
    Release(slot);
    StartNext();
}

void TPersonPhotoLoader::PhotoArrived(TSlot& slot) {
    if (TChatPerson* card = slot.guard) {
        const QImage& picture = slot.loader->Picture();
        card->SetPersonPicture(picture);
        if (picture.isNull()) {
            TSubmit& submit = slot.loader->Submit();
            const std::string& refused = slot.loader->DecodeFailure();
            card->SetPhotoFailure(submit.LastFailure() != TSubmitFailure::None ? submit.FailureMessage()
                                  : !refused.empty()                          ? refused
                                                                              : "файл фото не читается");
        }
    }
    Release(slot);
    StartNext();
}

void TPersonPhotoLoader::Release(TSlot& slot) {
    disconnect(slot.gone);
    slot.card = nullptr;
    slot.guard = nullptr;
}

void TPersonPhotoLoader::CardGone(const QObject* card) {
    for (auto& slot : m_slots) {
        if (slot->card != card) continue;
        slot->page->Abort();
        slot->page->Disconnect();
        slot->loader->Abort();
        Release(*slot);
    }
    StartNext();
}

std::string TPersonPhotoLoader::SmallPhotoAddress(const std::string& profileUrl, const std::string& imgSrc) {
    std::string small = imgSrc;
    const size_t at = small.find(MediumPhoto);
    if (at == std::string::npos) return {};
    small.replace(at, MediumPhoto.size(), "_small.jpg");
    // An address relative to the profile page is taken from it.
    const QUrl url = QUrl(platform::ToQString(profileUrl)).resolved(QUrl(platform::ToQString(small)));
    return IsWebAddress(url) ? url.toString(QUrl::FullyEncoded).toStdString() : std::string();
}

std::string TPersonPhotoLoader::PhotoImageType(const std::string& url) {
    const std::string lower = text::AsciiLower(url);
    const auto endsWith = [&lower](std::string_view ext) {
        return lower.size() >= ext.size() && lower.compare(lower.size() - ext.size(), ext.size(), ext) == 0;
    };
    if (endsWith(".gif")) return "GIF";
    if (endsWith(".png")) return "PNG";
    return "JPEG";
}

} // namespace app
