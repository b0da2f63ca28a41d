#pragma once
// A column drawn as checkboxes: when active, each data cell shows a box
// that is marked when the field's value equals ValueTrue.

#include "grid/GridTypes.h"

#include <QColor>
#include <QVariant>

#include <string>
#include <string_view>

namespace grid {

class TDBGColumn;

class TColumnCheckbox {
public:
    explicit TColumnCheckbox(TDBGColumn& column);
    TColumnCheckbox(const TColumnCheckbox&) = delete;
    TColumnCheckbox& operator=(const TColumnCheckbox&) = delete;

    TDBGColumn& Column() const { return m_column; }

    // Copies what the source has assigned.
    void Assign(const TColumnCheckbox& source);
    // Colour, mark and values return to their defaults; Active stays.
    // Reports a change of the column.
    void RestoreDefaults();

    bool Active() const { return m_active; }
    void SetActive(bool value);
    // Black by default.
    QColor Color() const { return m_color; }
    void SetColor(const QColor& value);
    TCheckType CheckType() const { return m_checkType; }
    void SetCheckType(TCheckType value);
    // "1" and "0" by default.
    const QVariant& ValueTrue() const { return m_valueTrue; }
    void SetValueTrue(const QVariant& value);
    const QVariant& ValueFalse() const { return m_valueFalse; }
    void SetValueFalse(const QVariant& value);

    // Whether a field text shows the mark: it equals ValueTrue (numerically
    // when ValueTrue is a number; "" when ValueTrue is ""). A null field (no
    // record or no field) is never checked.
    bool IsChecked(std::string_view fieldText, bool isNull = false) const;

    void StoreProperties(TStoredProperties& out, std::string_view prefix) const;
    // False for a name the checkbox does not know.
    bool ReadProperty(std::string_view name, const QVariant& value);

private:
    bool IsAssigned(TColumnValue value) const;
    // Stores `value` into `member` unless it is assigned and equal.
    template <class T>
    void SetValue(T& member, const T& value, TColumnValue bit);

    TDBGColumn& m_column;
    bool m_active = false;
    TCheckType m_checkType = TCheckType::ctCheck;
    QColor m_color{0, 0, 0};
    QVariant m_valueTrue;
    QVariant m_valueFalse;
};

} // namespace grid
