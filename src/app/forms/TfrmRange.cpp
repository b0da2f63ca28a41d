#include "app/forms/TfrmRange.h"

#include "platform/MessageRoutines.h"
#include "platform/Text.h"

#include <QLabel>
#include <algorithm>
#include <string>

namespace app {

namespace {

// Room for the five characters an edit takes.
constexpr int kEditWidth = 56;
constexpr int kMaxDigits = 5;

TNumberEdit* MakeEdit(QWidget* parent, const char* name) {
    auto* edit = new TNumberEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(kMaxDigits);
    edit->setFixedWidth(kEditWidth);
    return edit;
}

QString Utf8(const char* s) { return QString::fromUtf8(s); }

} // namespace

TfrmRange::TfrmRange(QWidget* parent) : TConditionDialog("Диапазон", parent) {
    lbFrom = new QLabel(Utf8("Диапазон от"), this);
    lbFrom->setObjectName("lbFrom");
    edMin = MakeEdit(this, "edMin");
    lbTo = new QLabel(Utf8("до"), this);
    lbTo->setObjectName("lbTo");
    edMax = MakeEdit(this, "edMax");
    AddToRow(lbFrom);
    AddToRow(edMin);
    AddToRow(lbTo);
    AddToRow(edMax);
    edMin->OnChange = [this](TNumberEdit* sender) { edChange(sender); };
    edMax->OnChange = [this](TNumberEdit* sender) { edChange(sender); };
    m_min = m_lowerLimit;
    m_max = 0;
}

void TfrmRange::SetMin(int32_t value) {
    edMin->SetValue(value >= 1 ? std::to_string(value) : std::string());
    m_min = value;
}

void TfrmRange::SetMax(int32_t value) {
    m_max = value;
    edMax->SetValue(value >= 1 ? std::to_string(value) : std::string());
}

std::optional<int32_t> TfrmRange::ReadBound(const TNumberEdit& edit, int32_t zero) const {
    const std::string value = edit.GetValue();
    const std::string_view trimmed = text::Trim(value);
    if (trimmed.empty()) return 0;
    if (trimmed == "0") return zero;
    return TNumberEdit::ParseInteger(value);
}

void TfrmRange::edChange(TNumberEdit*) {
    m_invalidText.clear();
    // A "0" from stands for the lower limit; a "0" to is no upper bound, so
    // that a lower bound alone can be given where the condition has a limit.
    const std::optional<int32_t> low = ReadBound(*edMin, m_lowerLimit);
    const std::optional<int32_t> high = ReadBound(*edMax, 0);
    if (low) m_min = *low;
    else m_invalidText = edMin->GetValue();
    if (high) m_max = *high;
    else if (m_invalidText.empty()) m_invalidText = edMax->GetValue();
}

bool TfrmRange::OKClick() {
    if (!m_invalidText.empty()) {
        platform::ShowInfoMessage(TNumberEdit::InvalidIntegerText(m_invalidText));
        return false;
    }
    if (m_min >= 1 && m_max >= 1 && m_min > m_max) {
        platform::ShowInfoMessage("Верхняя граница не может быть меньше нижней");
        return false;
    }
    if (m_min >= 1 && m_min < m_lowerLimit) {
        platform::ShowInfoMessage("Граница не может быть меньше " + std::to_string(m_lowerLimit));
        return false;
    }
    if (m_max >= 1 && m_max < m_lowerLimit) m_max = m_lowerLimit;
    else if (m_min < 1 && m_max < 1) return false;
    // A bound below 1 is no bound: stored as 0, so that it reads the same
    // wherever the range is shown again.
    m_min = std::max(m_min, 0);
    m_max = std::max(m_max, 0);

    if (m_min >= 1 && m_max >= 1)
        m_resultText = m_prefix + " от " + std::to_string(m_min) + " до " + std::to_string(m_max);
    else if (m_min > 0)
        m_resultText = m_prefix + " от " + std::to_string(m_min);
    else
        m_resultText = m_prefix + " до " + std::to_string(m_max);
    return true;
}

} // namespace app
