#pragma once
// One member profile shown as a card of the person-card list: a 20-pixel
// header line (state mark, new-message mark, name with age and area, a link
// to the profile) or, expanded, a 120-pixel framed panel with the photo,
// badges, counts and the delete basket. The expanded controls are made the
// first time the card is expanded and kept for the rest of its life; their
// pictures are held only while the card is expanded (loaded when it is
// expanded, released when it is collapsed).
//
// A click handler may remove its own card: the list then frees it with
// deleteLater, so the card is never destroyed under its own event.

#include "platform/TPicture.h"
#include "platform/TPanel.h"

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

class QLabel;
class QPixmap;

namespace app {

class TChatPersonList;
class TImage;

enum class TChatPersonStyle : uint8_t {
    cpShort,     // 20-pixel header, white
    cpSelected,  // 20-pixel header, green
    cpFull,      // 120-pixel expanded card
    cpInsert,    // 120 pixels without header, while the card is being placed
};

enum class TPersonState : uint8_t {
    psAbsent,     // hint "Недоступен"
    psConnected,  // hint "Сейчас на сайте"
};

class TChatPerson : public QWidget {
    Q_OBJECT

public:
    // Card events; the sender is the card.
    using TCardEvent = std::function<void(TChatPerson& sender)>;

    // A collapsed card on `owner`, belonging to `list` (may be null: the
    // shared pictures are then loaded by the card itself).
    TChatPerson(QWidget* owner, TChatPersonList* list);
    ~TChatPerson() override;

    TChatPersonStyle ChatPersonStyle() const { return m_style; }
    // Sets the height (20 or 120) and shows the header or the expanded
    // controls; the first cpFull builds the expanded layout.
    void SetChatPersonStyle(TChatPersonStyle value);
    TPersonState PersonState() const { return m_state; }
    void SetPersonState(TPersonState value);
    const std::string& PersonName() const { return m_personName; }
    void SetPersonName(const std::string& value);
    // The photo of the expanded card; nullptr while the expanded layout does
    // not exist.
    const platform::TPicture* PersonPicture() const;
    // Shows `picture` as the photo; nothing while the expanded layout does
    // not exist. An empty picture brings back the "no photo" picture.
    void SetPersonPicture(const platform::TPicture& picture);
    void SetPersonPicture(const QImage& picture);
    // A new message waits.
    bool Letter() const { return m_letter; }
    void SetLetter(bool value);
    int32_t PhotoCount() const { return m_photoCount; }
    // A count above 0 shows "<n> фото"; 0 leaves the label as it is.
    void SetPhotoCount(int32_t value);
    int32_t VideoCount() const { return m_videoCount; }
    // A count above 0 shows "<n> видео"; 0 leaves the label as it is.
    void SetVideoCount(int32_t value);
    bool Intim() const { return m_intim; }
    void SetIntim(bool value);
    // False while the expanded layout does not exist.
    bool BasketVisible() const;
    void SetBasketVisible(bool value);

    TChatPersonList* List() const { return m_list; }
    // The card's 1-based record number in the list's table.
    int32_t RecordNo() const { return m_recordNo; }
    void SetRecordNo(int32_t value) { m_recordNo = value; }
    // The header text: the name with age and area.
    const std::string& InfoText() const { return m_infoText; }
    void SetInfoText(const std::string& value);
    const std::string& URL() const { return m_url; }
    void SetURL(const std::string& value) { m_url = value; }
    // Badges of the expanded card, applied when the card is expanded.
    bool Voice() const { return m_voice; }
    void SetVoice(bool value) { m_voice = value; }
    bool Real() const { return m_real; }
    void SetReal(bool value) { m_real = value; }
    bool VIP() const { return m_vip; }
    void SetVIP(bool value) { m_vip = value; }
    // The photo was fetched (also when the profile had none), so it is not
    // fetched again.
    bool HasPhoto() const { return m_hasPhoto; }
    void SetHasPhoto(bool value);
    // The photo could not be loaded, and why: the card shows a plate that
    // says so, with the cause in its tool tip, rather than "нет фото" beside
    // the profile's photo count. An empty cause takes the failure back.
    void SetPhotoFailure(const std::string& cause);
    const std::string& PhotoFailure() const { return m_photoFailure; }
    bool FullLayoutBuilt() const { return m_fullLayoutBuilt; }

    // Fires OnPersonDelete when it is bound, else frees the card (later,
    // from the event loop). Errors of the handler are dropped.
    void Delete();

    // Fired when the header, the name strip, the state mark or the top right
    // corner is clicked.
    TCardEvent OnPersonClick;
    // Fired when one of the "Открыть анкету" links is clicked.
    TCardEvent OnQuestionnaire;
    // Fired when the basket is clicked; errors of the handler are dropped.
    TCardEvent OnBasket;
    // Fired by Delete; errors of the handler are dropped.
    TCardEvent OnPersonDelete;
    // Fired once, when the expanded layout has just been built, so that the
    // owner fills the badges and counts.
    TCardEvent OnFill;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class TClick { Person, Questionnaire, Basket };

    void BuildFullLayout();
    void LayoutControls();
    // Loads or releases the pictures and draws the marks as the style and
    // state ask; changes only what differs.
    void UpdatePictures();
    void DrawHeaderLine();
    void ShowPhoto();
    void Bind(QWidget* control, TClick click);
    void Click(TClick click);
    QPixmap SharedBitmap(const char* name) const;

    TChatPersonList* m_list;
    TChatPersonStyle m_style = TChatPersonStyle::cpShort;
    TPersonState m_state = TPersonState::psAbsent;
    std::string m_personName;
    std::string m_infoText;
    std::string m_url;
    int32_t m_recordNo = 0;
    int32_t m_photoCount = 0;
    int32_t m_videoCount = 0;
    bool m_letter = false;
    bool m_intim = false;
    bool m_basketVisible = true;
    bool m_voice = false;
    bool m_real = false;
    bool m_vip = false;
    bool m_hasPhoto = false;
    bool m_fullLayoutBuilt = false;
    // The photo itself, kept while the card is collapsed so that expanding
    // again shows it without fetching it again.
    platform::TPicture m_photo;
    std::string m_photoFailure;
    // What the header line and the state corner were last drawn from.
    std::string m_headerDrawn;
    std::string m_cornerDrawn;

public:
    // Header controls.
    platform::TPanel* pnShortInfo = nullptr;
    TImage* imgShortInfo = nullptr;
    TImage* imgQuestionnaire = nullptr;
    // Expanded controls: null until the card is first expanded.
    platform::TPanel* pnFullInfo = nullptr;
    platform::TPanel* pnTopBorder = nullptr;
    platform::TPanel* pnTop = nullptr;
    platform::TPanel* pnBottomBorder = nullptr;
    platform::TPanel* pnLeftBorder = nullptr;
    platform::TPanel* pnRightBorder = nullptr;
    TImage* imgTopRight = nullptr;
    TImage* imgReal = nullptr;
    TImage* imgVIP = nullptr;
    TImage* imgVoice = nullptr;
    TImage* imgBottomRight = nullptr;
    TImage* imgBottomLeft = nullptr;
    TImage* imgFullInfo = nullptr;
    TImage* imgShortInfo1 = nullptr;
    QLabel* lbPersonName1 = nullptr;
    QLabel* lbPersonName2 = nullptr;
    QLabel* lbPhotoCount = nullptr;
    QLabel* lbVideoCount = nullptr;
    QLabel* lbIntim = nullptr;
    TImage* imgQuestionnaire1 = nullptr;
    TImage* imgBasket = nullptr;
    TImage* imgNewMessage1 = nullptr;
};

} // namespace app
