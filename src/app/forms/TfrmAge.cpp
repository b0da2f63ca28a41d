#include "app/forms/TfrmAge.h"

#include "platform/MessageRoutines.h"
#include "platform/Text.h"

#include <QLabel>
#include <string>

namespace app {

namespace {
constexpr int kEditWidth = 56;
constexpr int kMaxDigits = 5;
constexpr int32_t kAdultAge = 18;
// The site takes ages of two digits, as the settings page's age fields do.
constexpr int32_t kOldestAge = 99;
} // namespace

TfrmAge::TfrmAge(QWidget* parent) : TConditionDialog("Возраст", parent) {
    lbAge = new QLabel(QString::fromUtf8("Возраст"), this);
    lbAge->setObjectName("lbAge");
    edAge = new TNumberEdit(this);
    edAge->setObjectName("edAge");
    edAge->setMaxLength(kMaxDigits);
    edAge->setFixedWidth(kEditWidth);
    AddToRow(lbAge);
    AddToRow(edAge);
    edAge->OnChange = [this](TNumberEdit* sender) { edChange(sender); };
}

void TfrmAge::SetAge(int32_t value) {
    m_age = value;
    edAge->SetValue(value >= 1 ? std::to_string(value) : std::string());
}

void TfrmAge::edChange(TNumberEdit* sender) {
    const std::string value = sender->GetValue();
    const std::string_view trimmed = text::Trim(value);
    m_invalidText.clear();
    if (trimmed.empty()) {
        m_age = 0;
    } else if (trimmed == "0") {
        m_age = 1;
    } else if (const auto age = TNumberEdit::ParseInteger(value)) {
        m_age = *age;
    } else {
        m_invalidText = value;
    }
}

bool TfrmAge::OKClick() {
    if (!m_invalidText.empty()) {
        platform::ShowInfoMessage(TNumberEdit::InvalidIntegerText(m_invalidText));
        return false;
    }
    if (m_age < kAdultAge) {
        platform::ShowInfoMessage("Возраст не может быть меньше 18");
        return false;
    }
    if (m_age > kOldestAge) {
        platform::ShowInfoMessage("Возраст не может быть больше " + std::to_string(kOldestAge));
        return false;
    }
    return true;
}

} // namespace app
