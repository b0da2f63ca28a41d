#include "app/controls/TNumberEdit.h"

#include "platform/QtText.h"

#include <algorithm>
#include <charconv>
#include <exception>

namespace app {

TNumberEdit::TNumberEdit(QWidget* parent) : QLineEdit(QStringLiteral("0"), parent) {
    connect(this, &QLineEdit::textChanged, this, &TNumberEdit::TextChanged);
}

std::string TNumberEdit::GetValue() const { return text().toStdString(); }

void TNumberEdit::SetValue(std::string_view value) {
    setText(platform::ToQString(value));
    setCursorPosition(int(text().size()));
}

bool TNumberEdit::IsNumberText(std::string_view text) {
    if (text.empty()) return false;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (!digit(text[0]) && text[0] != '+' && text[0] != '-') return false;
    return std::all_of(text.begin(), text.end(), [&](char c) {
        return digit(c) || c == '+' || c == '-' || c == '.' || c == ',' || c == 'E';
    });
}

std::optional<int32_t> TNumberEdit::ParseInteger(std::string_view text) {
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    // from_chars would take a second sign or stop early; digits only here.
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    const int64_t limit = negative ? int64_t{INT32_MAX} + 1 : int64_t{INT32_MAX};
    if (magnitude > uint64_t(limit)) return std::nullopt;
    return static_cast<int32_t>(negative ? -int64_t(magnitude) : int64_t(magnitude));
}

std::optional<int32_t> TNumberEdit::IntegerValue() const { return ParseInteger(GetValue()); }

std::string TNumberEdit::InvalidIntegerText(std::string_view text) {
    return "«" + std::string(text) + "» не является целым числом";
}

void TNumberEdit::TextChanged(const QString& text) {
    if (m_restoring) return;
    const std::string value = text.toStdString();
    if (IsNumberText(value)) {
        m_lastValid = value;
        if (!OnChange) return;
        try {
            OnChange(this);
        } catch (const std::exception& e) {
            qWarning("A number edit's change handler failed: %s", e.what());
        } catch (...) {
            qWarning("A number edit's change handler failed");
        }
        return;
    }
    m_restoring = true;
    const int caret = cursorPosition();
    setText(QString::fromStdString(m_lastValid));
    setCursorPosition(std::clamp(caret - 1, 0, int(this->text().size())));
    m_restoring = false;
}

} // namespace app
