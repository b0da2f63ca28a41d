#include "image/gif/TGIFItem.h"

#include "image/EImageError.h"
#include "image/gif/GIFStreamUtils.h"
#include "image/gif/TGIFImage.h"

#include <QFile>

namespace image {

void TGIFItem::Warning(TGIFSeverity severity, const std::string& message) {
    if (m_gifImage) m_gifImage->Warning(this, severity, message);
}

void TGIFItem::LoadFromFile(const std::string& fileName) {
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError("Cannot open file \"" + fileName + "\". " + file.errorString().toStdString());
    LoadFromStream(file);
}

void TGIFItem::SaveToFile(const std::string& fileName) const {
    SaveGIFFile(fileName, [this](QIODevice& stream) { SaveToStream(stream); });
}

} // namespace image
