#pragma once
// The edit box of every numeric field: it refuses, as they are typed, texts
// that cannot start a number. A text is kept when it is not empty, starts with
// a digit, '+' or '-', and holds only digits and '+', '-', '.', ',' and 'E';
// anything else (an empty text too) is undone at once, the caret moving one
// place left. So the text is never empty and OnChange sees only kept texts.
//
// Kept texts are not all whole numbers ("-", "1.5", "1E3"): readers ask
// IntegerValue() and refuse the rest with InvalidIntegerText().

#include <QLineEdit>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace app {

class TNumberEdit : public QLineEdit {
    Q_OBJECT
public:
    // Starts with the text "0".
    explicit TNumberEdit(QWidget* parent = nullptr);

    // Fired after a kept change of the text, typed or set; never for an undone one.
    std::function<void(TNumberEdit* Sender)> OnChange;

    std::string GetValue() const;
    // Sets the text (undone like a typed one when it is no number) and puts
    // the caret at its end.
    void SetValue(std::string_view value);

    // The text as a whole 32-bit number: an optional sign and decimal digits.
    // nullopt for anything else ("-", "1.5", "1E3", " 12", "", a value past
    // the 32-bit range).
    std::optional<int32_t> IntegerValue() const;

    // The rule the edit keeps texts by.
    static bool IsNumberText(std::string_view text);
    // Whole 32-bit number or nullopt, as IntegerValue().
    static std::optional<int32_t> ParseInteger(std::string_view text);
    // What a reader tells the user about a text that is no whole number:
    // "«1.5» не является целым числом".
    static std::string InvalidIntegerText(std::string_view text);

private:
    void TextChanged(const QString& text);

    std::string m_lastValid = "0";
    bool m_restoring = false;
};

} // namespace app
