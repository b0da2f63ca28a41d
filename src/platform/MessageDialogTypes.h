#pragma once
// The kinds, buttons and answers of a message box. The numbers are the ones
// callers compare modal results with, so they never change.

#include <bit>
#include <cstdint>
#include <initializer_list>

namespace platform {

// What a message box says about its message; decides the icon.
enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// The buttons a message box can offer, in the order the box lays them out.
enum class TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp,
};
inline constexpr int kMsgDlgBtnCount = 11;

// A set of message-box buttons; an empty set is allowed (the box then closes
// only by Escape or its title bar). Enter presses the first of OK and Yes
// unless another of the set is named to take it (a question whose "Да" loses
// data gives Enter to "Нет").
class TMsgDlgButtons {
public:
    constexpr TMsgDlgButtons() = default;
    constexpr TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> buttons) {
        for (const TMsgDlgBtn b : buttons) m_bits |= Bit(b);
    }

    constexpr bool Contains(TMsgDlgBtn b) const { return (m_bits & Bit(b)) != 0; }
    constexpr int Count() const { return std::popcount(m_bits); }
    constexpr bool IsEmpty() const { return m_bits == 0; }
    constexpr TMsgDlgButtons& operator|=(TMsgDlgBtn b) {
        m_bits |= Bit(b);
        return *this;
    }
    // The set with `b` (one of it) taking Enter.
    constexpr TMsgDlgButtons WithDefault(TMsgDlgBtn b) const {
        TMsgDlgButtons set = *this;
        set.m_default = static_cast<int>(b);
        return set;
    }
    // The button named to take Enter; false when none was.
    constexpr bool HasDefault() const { return m_default >= 0; }
    constexpr TMsgDlgBtn Default() const { return static_cast<TMsgDlgBtn>(m_default); }
    friend constexpr bool operator==(TMsgDlgButtons, TMsgDlgButtons) = default;

private:
    static constexpr std::uint32_t Bit(TMsgDlgBtn b) { return std::uint32_t{1} << static_cast<int>(b); }
    std::uint32_t m_bits = 0;
    int m_default = -1;
};

// Modal results: what a dialog's modal loop returns.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;
inline constexpr int mrAbort = 3;
inline constexpr int mrRetry = 4;
inline constexpr int mrIgnore = 5;
inline constexpr int mrYes = 6;
inline constexpr int mrNo = 7;
inline constexpr int mrAll = 8;
inline constexpr int mrNoToAll = 9;
inline constexpr int mrYesToAll = 10;

} // namespace platform
