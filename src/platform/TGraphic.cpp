#include "platform/TGraphic.h"

#include <QFile>
#include <QSaveFile>

namespace platform {

void TGraphic::Assign(const TGraphic& source) { source.AssignTo(*this); }

void TGraphic::AssignTo(TGraphic& dest) const {
    throw EConvertError("Cannot assign a " + ClassName() + " to a " + dest.ClassName());
}

void TGraphic::AssignTo(QImage&) const {
    throw EConvertError("Cannot assign a " + ClassName() + " to a TBitmap");
}

void TGraphic::LoadFromFile(const std::string& fileName) {
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly))
        throw EFileError("Cannot open file \"" + fileName + "\". " + file.errorString().toStdString());
    LoadFromStream(file);
}

void TGraphic::SaveToFile(const std::string& fileName) const {
    QSaveFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::WriteOnly))
        throw EFileError("Cannot create file \"" + fileName + "\". " + file.errorString().toStdString());
    SaveToStream(file);
    if (!file.commit())
        throw EFileError("Cannot create file \"" + fileName + "\". " + file.errorString().toStdString());
}

} // namespace platform
