#include "app/forms/TfrmName.h"

#include "platform/MessageRoutines.h"

#include <QLabel>
#include <QLineEdit>

namespace app {

namespace {
constexpr int kEditWidth = 160;
} // namespace

TfrmName::TfrmName(QWidget* parent) : TConditionDialog("Имя", parent) {
    lbName = new QLabel(QString::fromUtf8("Имя"), this);
    lbName->setObjectName("lbName");
    edName = new QLineEdit(this);
    edName->setObjectName("edName");
    edName->setFixedWidth(kEditWidth);
    AddToRow(lbName);
    AddToRow(edName);
}

bool TfrmName::OKClick() {
    if (edName->text().trimmed().isEmpty()) {
        platform::ShowInfoMessage("Имя не может быть пустым");
        return false;
    }
    return true;
}

} // namespace app
