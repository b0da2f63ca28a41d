#include "grid/TColumnCheckbox.h"

#include "grid/TDBGColumn.h"
#include "platform/QtText.h"

#include <QString>

namespace grid {
namespace {

const QVariant kDefaultTrue = QStringLiteral("1");
const QVariant kDefaultFalse = QStringLiteral("0");

bool IsNumber(const QVariant& value) {
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

} // namespace

TColumnCheckbox::TColumnCheckbox(TDBGColumn& column)
    : m_column(column), m_valueTrue(kDefaultTrue), m_valueFalse(kDefaultFalse) {}

bool TColumnCheckbox::IsAssigned(TColumnValue value) const { return m_column.IsAssigned(value); }

template <class T>
void TColumnCheckbox::SetValue(T& member, const T& value, TColumnValue bit) {
    if (IsAssigned(bit) && member == value) return;
    member = value;
    m_column.SetAssigned(bit, true);
    m_column.Changed(false);
}

void TColumnCheckbox::SetActive(bool value) { SetValue(m_active, value, TColumnValue::cvCheckboxActive); }
void TColumnCheckbox::SetColor(const QColor& value) { SetValue(m_color, value, TColumnValue::cvCheckboxColor); }
void TColumnCheckbox::SetCheckType(TCheckType value) {
    SetValue(m_checkType, value, TColumnValue::cvCheckboxCheckType);
}
void TColumnCheckbox::SetValueTrue(const QVariant& value) {
    SetValue(m_valueTrue, value, TColumnValue::cvCheckboxValueTrue);
}
void TColumnCheckbox::SetValueFalse(const QVariant& value) {
    SetValue(m_valueFalse, value, TColumnValue::cvCheckboxValueFalse);
}

void TColumnCheckbox::Assign(const TColumnCheckbox& source) {
    if (&source == this) return;
    if (source.IsAssigned(TColumnValue::cvCheckboxActive)) SetActive(source.Active());
    if (source.IsAssigned(TColumnValue::cvCheckboxColor)) SetColor(source.Color());
    if (source.IsAssigned(TColumnValue::cvCheckboxCheckType)) SetCheckType(source.CheckType());
    if (source.IsAssigned(TColumnValue::cvCheckboxValueFalse)) SetValueFalse(source.ValueFalse());
    if (source.IsAssigned(TColumnValue::cvCheckboxValueTrue)) SetValueTrue(source.ValueTrue());
}

void TColumnCheckbox::RestoreDefaults() {
    for (auto bit : {TColumnValue::cvCheckboxColor, TColumnValue::cvCheckboxCheckType,
                     TColumnValue::cvCheckboxValueTrue, TColumnValue::cvCheckboxValueFalse})
        m_column.SetAssigned(bit, false);
    m_color = QColor(0, 0, 0);
    m_checkType = TCheckType::ctCheck;
    m_valueTrue = kDefaultTrue;
    m_valueFalse = kDefaultFalse;
    // The cells repaint like after any other property change.
    m_column.Changed(false);
}

bool TColumnCheckbox::IsChecked(std::string_view fieldText, bool isNull) const {
    if (isNull || !m_valueTrue.isValid() || m_valueTrue.isNull()) return false;
    const QString text = platform::ToQString(fieldText);
    if (IsNumber(m_valueTrue)) {
        bool ok = false;
        const double number = text.trimmed().toDouble(&ok);
        return ok && number == m_valueTrue.toDouble();
    }
    return text == m_valueTrue.toString();
}

void TColumnCheckbox::StoreProperties(TStoredProperties& out, std::string_view prefix) const {
    auto put = [&](const char* name, QVariant value) { out.push_back({std::string(prefix) + name, std::move(value)}); };
    if (IsAssigned(TColumnValue::cvCheckboxActive) && m_active) put("Active", true);
    if (IsAssigned(TColumnValue::cvCheckboxColor) && m_color != QColor(0, 0, 0)) put("Color", m_color);
    if (IsAssigned(TColumnValue::cvCheckboxCheckType) && m_checkType != TCheckType::ctCheck)
        put("CheckType", static_cast<int>(m_checkType));
    if (IsAssigned(TColumnValue::cvCheckboxValueTrue) && m_valueTrue != kDefaultTrue) put("ValueTrue", m_valueTrue);
    if (IsAssigned(TColumnValue::cvCheckboxValueFalse) && m_valueFalse != kDefaultFalse)
        put("ValueFalse", m_valueFalse);
}

bool TColumnCheckbox::ReadProperty(std::string_view name, const QVariant& value) {
    if (name == "Active") SetActive(value.toBool());
    else if (name == "Color") SetColor(value.value<QColor>());
    else if (name == "CheckType") SetCheckType(static_cast<TCheckType>(value.toInt()));
    else if (name == "ValueTrue") SetValueTrue(value);
    else if (name == "ValueFalse") SetValueFalse(value);
    else return false;
    return true;
}

} // namespace grid
