#pragma once
// The photos of the favourites' person cards, fetched without waiting: a
// card's profile page, then the small photo its medium photo names, each
// request as the program always made it (through the user's proxy, the photo
// with the image loader's headers), the photo decoded off the window's
// thread. Up to MaxInFlight cards are fetched at once; the others wait in
// the order they were asked for.
//
// A card freed while its photo is waited for (its page left, the card
// deleted, the window closed) gives up its requests at once; nothing ever
// arrives into a freed card. The loader's own end gives up everything.

#include <QObject>
#include <QPointer>
#include <array>
#include <deque>
#include <memory>
#include <string>

class TSubmit;

namespace image {
class TImageLoader;
}

namespace app {

class TChatPerson;

class TPersonPhotoLoader : public QObject {
    Q_OBJECT

public:
    // Cards whose requests run at the same time.
    static constexpr int MaxInFlight = 4;

    explicit TPersonPhotoLoader(QObject* owner = nullptr);
    ~TPersonPhotoLoader() override;

    // Fetches the card's photo (URL: its profile page) and shows it on the
    // card when it comes. Nothing when the card is waiting or under way
    // already. A profile without a medium photo, or a request that fails,
    // leaves the card as it is.
    void Request(TChatPerson& card);
    // Gives up every request under way and every card waiting.
    void AbortAll();

    // Cards under way, and cards waiting for a free place.
    int InFlight() const;
    int Waiting() const { return static_cast<int>(m_waiting.size()); }

    // The photo an "img" tag names when it is a profile's medium photo: the
    // small one's address ("_small.jpg" for the first "_medium.jpg" of its
    // "src"), resolved against the profile page's address; empty for any
    // other tag.
    static std::string SmallPhotoAddress(const std::string& profileUrl, const std::string& imgSrc);
    // The loader a photo goes to, by the ending of its address: "GIF" and
    // "PNG" by their extension, "JPEG" for everything else.
    static std::string PhotoImageType(const std::string& url);

private:
    struct TSlot;

    void StartNext();
    void Begin(TSlot& slot, TChatPerson& card);
    void PageArrived(TSlot& slot, const std::string& page);
    void PhotoArrived(TSlot& slot);
    // The slot is free again; the next waiting card takes it.
    void Release(TSlot& slot);
    void CardGone(const QObject* card);

    std::array<std::unique_ptr<TSlot>, MaxInFlight> m_slots;
    std::deque<QPointer<TChatPerson>> m_waiting;
};

} // namespace app
