#pragma once
// Vocabulary shared by the data grid and its companions: options, the
// per-column "assigned value" flags, title and cell enumerations, the
// grid's exception class and the stored-property records columns stream.

#include <QColor>
#include <QVariant>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace grid {

// Grid failures with the grid's fixed English texts.
class EInvalidGridOperation : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A small set over an enumeration whose values are bit numbers below 32.
template <class E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr explicit TSet(uint32_t bits) : m_bits(bits) {}
    constexpr TSet(std::initializer_list<E> items) {
        for (E e : items) m_bits |= Bit(e);
    }
    constexpr bool Has(E e) const { return (m_bits & Bit(e)) != 0; }
    constexpr void Include(E e) { m_bits |= Bit(e); }
    constexpr void Exclude(E e) { m_bits &= ~Bit(e); }
    constexpr void Set(E e, bool on) { on ? Include(e) : Exclude(e); }
    constexpr uint32_t Bits() const { return m_bits; }
    constexpr bool IsEmpty() const { return m_bits == 0; }
    constexpr bool operator==(const TSet&) const = default;

private:
    static constexpr uint32_t Bit(E e) { return uint32_t{1} << static_cast<unsigned>(e); }
    uint32_t m_bits = 0;
};

enum class TDBGridOption : uint8_t {
    dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
    dgRowSelect, dgAlwaysShowSelection, dgMultiSelect, dgConfirmDelete, dgCancelOnExit, dgFlat,
    dgMultilineTitle, dgDrawMemoText, dgDrawGraphic, dgFooters, dgAutoFitColumns, dgRowSizing
};
using TDBGridOptions = TSet<TDBGridOption>;
// dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
// dgTabs, dgConfirmDelete, dgCancelOnExit.
inline constexpr TDBGridOptions DefaultGridOptions{6397};

// Which column, title, footer and checkbox properties hold a value of their
// own instead of following the grid or the field.
enum class TColumnValue : uint8_t {
    cvColor, cvWidth, cvFont, cvAlignment, cvReadOnly, cvImeMode, cvImeName, cvWordWrap, cvLookupDisplayFields,
    cvTitleColor, cvTitleCaption, cvTitleAlignment, cvTitleFont,
    cvFooterText, cvFooterAlignment, cvFooterFont,
    cvCheckboxActive, cvCheckboxColor, cvCheckboxCheckType, cvCheckboxValueTrue, cvCheckboxValueFalse
};
using TColumnValues = TSet<TColumnValue>;

enum class TSortMarker : uint8_t { smNone, smDown, smUp };
enum class TDragMode : uint8_t { dmManual, dmAutomatic };
// Where a dragged pointer is, as seen by the grid it is over.
enum class TDragState : uint8_t { dsDragEnter, dsDragLeave, dsDragMove };
enum class TColumnButtonStyle : uint8_t { cbsAuto, cbsEllipsis, cbsNone };
enum class TCheckType : uint8_t { ctCheck, ctCross };
// How a cell is edited: plain, with an ellipsis button, or with a drop-down
// pick list or lookup list.
enum class TEditStyle : uint8_t { esSimple, esEllipsis, esPickList, esDataList };
// Default: every column is made by the grid from the dataset's fields;
// customized: the columns were made by the grid's user.
enum class TDBGridColumnsState : uint8_t { csDefault, csCustomized };

// One streamed property: its published name (nested objects as
// "Title.Caption") and its value.
struct TStoredProperty {
    std::string Name;
    QVariant Value;
};
using TStoredProperties = std::vector<TStoredProperty>;

// The system colours the grid's defaults name: the window background and
// the face of buttons and fixed cells, from the application palette.
QColor clWindow();
QColor clBtnFace();

} // namespace grid
