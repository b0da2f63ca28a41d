#include "image/LinearBitmapUtils.h"

#include "image/LinearBitmapTables.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstring>

namespace image {

std::string GetFileExtUpper(std::string_view fileName) {
    const size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos) return {};
    const size_t sep = fileName.find_last_of("/\\:");
    if (sep != std::string_view::npos && sep > dot) return {};
    return text::AsciiUpper(fileName.substr(dot + 1));
}

void MakeGrayRamp(uint8_t* p, int count) {
    if (count < 1) return;
    for (int i = 0; i < count; ++i) {
        const auto v = static_cast<uint8_t>(count == 1 ? 0 : i * 255 / (count - 1));
        p[3 * i] = p[3 * i + 1] = p[3 * i + 2] = v;
    }
}

QList<QRgb> MakeHPalette(const uint8_t* palette, int count) {
    count = std::clamp(count, 0, 256);
    QList<QRgb> table;
    table.reserve(count);
    for (int i = 0; i < count; ++i)
        table.append(qRgb(palette[3 * i + 2], palette[3 * i + 1], palette[3 * i]));
    return table;
}

void GetPaletteBGR(const QList<QRgb>& colors, int count, uint8_t* dest) {
    if (colors.isEmpty()) {
        std::memcpy(dest, GrayPalette.data(), GrayPalette.size());
        return;
    }
    const int n = std::clamp<int>(std::min<qsizetype>(count, colors.size()), 0, 256);
    for (int i = 0; i < n; ++i) {
        dest[3 * i] = static_cast<uint8_t>(qBlue(colors[i]));
        dest[3 * i + 1] = static_cast<uint8_t>(qGreen(colors[i]));
        dest[3 * i + 2] = static_cast<uint8_t>(qRed(colors[i]));
    }
    std::memset(dest + 3 * n, 0, static_cast<size_t>(3 * (256 - n)));
}

} // namespace image
