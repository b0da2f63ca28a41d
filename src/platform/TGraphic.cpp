#include "platform/TGraphic.h"

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QSaveFile>
#include <memory>
#include <typeinfo>

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

bool TGraphic::Equals(const TGraphic& other) const {
    if (typeid(*this) != typeid(other)) return false;
    if (Empty() || other.Empty()) return Empty() && other.Empty();
    QByteArray mine, theirs;
    QBuffer a(&mine), b(&theirs);
    a.open(QIODevice::WriteOnly);
    b.open(QIODevice::WriteOnly);
    SaveToStream(a);
    other.SaveToStream(b);
    return mine == theirs;
}

void TGraphic::WriteData(QIODevice& stream) { SaveToStream(stream); }

void TGraphic::SaveToClipboardFormat(QMimeData& data) const {
    if (Empty()) return;
    QImage image;
    AssignTo(image);
    if (!image.isNull()) data.setImageData(image);
}

void TGraphic::LoadFromClipboardFormat(const QMimeData*) { throw EConvertError("Unsupported clipboard format"); }

void TGraphic::SaveToClipboard(QClipboard& clipboard) const {
    auto data = std::make_unique<QMimeData>();
    SaveToClipboardFormat(*data);
    clipboard.setMimeData(data.release());
}

const QMimeData* TGraphic::ClipboardData(const QMimeData* data) {
    if (data || !qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return data;
    return QGuiApplication::clipboard()->mimeData();
}

} // namespace platform
