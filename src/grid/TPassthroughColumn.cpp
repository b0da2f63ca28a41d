#include "grid/TPassthroughColumn.h"

#include "grid/TColumnTitle.h"
#include "grid/TMDBGridHost.h"
#include "platform/db/TField.h"

#include <QFontMetrics>

#include <cstdint>

namespace grid {
namespace {

// The field's own display label is the caption of a generated column.
class TPassthroughColumnTitle : public TColumnTitle {
public:
    using TColumnTitle::TColumnTitle;

    void SetCaption(std::string value) override {
        const TMDBGridHost* grid = Column().Grid();
        db::TField* field = grid && grid->LinkActive() ? Column().Field() : nullptr;
        if (field)
            field->SetDisplayLabel(std::move(value));
        else
            TColumnTitle::SetCaption(std::move(value));
    }
};

} // namespace

TPassthroughColumn::TPassthroughColumn(TDBGGridColumns& collection) : TDBGColumn(collection) {
    SetTitleObject(std::make_unique<TPassthroughColumnTitle>(*this));
}

void TPassthroughColumn::SetIndex(int value) {
    const TMDBGridHost* grid = Grid();
    if (grid && grid->LinkActive()) {
        db::TField* target = grid->MappedField(value);
        db::TField* own = Field();
        if (target && own) own->SetIndex(target->Index());
    }
    TDBGColumn::SetIndex(value);
}

void TPassthroughColumn::SetAlignment(db::TAlignment value) {
    const TMDBGridHost* grid = Grid();
    db::TField* field = grid && grid->LinkActive() ? Field() : nullptr;
    if (field)
        field->SetAlignment(value);
    else
        StoreAlignment(value);
}

void TPassthroughColumn::SetReadOnly(bool value) {
    const TMDBGridHost* grid = Grid();
    db::TField* field = grid && grid->LinkActive() ? Field() : nullptr;
    if (field)
        field->SetReadOnly(value);
    else
        StoreReadOnly(value);
}

void TPassthroughColumn::SetField(db::TField* value) {
    TChangeBatch batch(*this);
    TDBGColumn::SetField(value);
    if (!value) ClearFieldName();
    RestoreDefaults();
    SetAutoFitBaseWidth(Width());
}

void TPassthroughColumn::SetWidth(int value) {
    const TMDBGridHost* grid = Grid();
    if (db::TField* field = grid ? Field() : nullptr) {
        const QFontMetrics metrics(Font());
        const int digit = metrics.horizontalAdvance(QLatin1Char('0'));
        if (digit > 0)
            field->SetDisplayWidth(static_cast<int>((int64_t{value} + metrics.averageCharWidth() / 2 - 3) / digit));
        // The dataset's own layout report already carries the new width.
        if (grid->LayoutFromDataset() && !AssignedValues().Has(TColumnValue::cvWidth)) return;
    }
    StoreWidth(value);
}

} // namespace grid
