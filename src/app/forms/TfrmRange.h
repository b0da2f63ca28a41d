#pragma once
// Asks for a numeric range ("Рост от 150 до 190"). The caller sets Prefix
// (the condition's caption) and LowerLimit (the smallest allowed bound), then
// SetMin and SetMax with the stored pair, shows the dialog and, on mrOk,
// reads Min, Max and ResultText. A "0" from stands for LowerLimit, a "0" to
// for no upper bound; a bound below 1 means "not set" and is answered as 0. A text that is no whole 32-bit number
// ("-", "1.5", "1E3") is refused on OK with a message; Min and Max keep their
// last whole values meanwhile.

#include "app/controls/TNumberEdit.h"
#include "app/forms/TConditionDialog.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class QLabel;

namespace app {

class TfrmRange : public TConditionDialog {
    Q_OBJECT
public:
    explicit TfrmRange(QWidget* parent = nullptr);

    QLabel* lbFrom = nullptr;
    TNumberEdit* edMin = nullptr;
    QLabel* lbTo = nullptr;
    TNumberEdit* edMax = nullptr;

    // Shows `value` in its edit (below 1: the edit keeps its text) and makes
    // it the bound.
    void SetMin(int32_t value);
    void SetMax(int32_t value);
    int32_t Min() const { return m_min; }
    int32_t Max() const { return m_max; }

    const std::string& Prefix() const { return m_prefix; }
    void SetPrefix(std::string_view prefix) { m_prefix = prefix; }
    int32_t LowerLimit() const { return m_lowerLimit; }
    void SetLowerLimit(int32_t limit) { m_lowerLimit = limit; }

    // Prefix + " от " + Min + " до " + Max, or with one bound only; set when
    // the dialog closes with mrOk, "" before.
    const std::string& ResultText() const { return m_resultText; }

protected:
    bool OKClick() override;

private:
    void edChange(TNumberEdit* sender);
    // The bound an edit stands for; nullopt when its text is no whole number.
    // `zero`: what a "0" stands for.
    std::optional<int32_t> ReadBound(const TNumberEdit& edit, int32_t zero) const;

    int32_t m_min = 0;
    int32_t m_max = 0;
    std::string m_prefix;
    int32_t m_lowerLimit = 0;
    std::string m_resultText;
    // The text of an edit that holds no whole number; "" when both do.
    std::string m_invalidText;
};

} // namespace app
