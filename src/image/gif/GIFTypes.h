#pragma once
// Small types shared by the GIF block classes.

#include <QList>
#include <QRgb>
#include <cstdint>
#include <functional>
#include <string>

namespace platform {
class TPersistent;
}

namespace image {

// A colour as the GUI layer passes it: red in the low byte, then green, then
// blue (R + G * 256 + B * 65536).
using TColor = uint32_t;

constexpr TColor RGBColor(uint8_t r, uint8_t g, uint8_t b) {
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}

// A palette as frames and bitmaps hand it around (the platform's logical
// palette): the entries in order, each an opaque RGB value. Empty means no
// palette.
using TGIFPalette = QList<QRgb>;

// How serious a report is. Reading reports only warnings: the data is damaged
// but reading goes on.
enum class TGIFSeverity : uint8_t { Warning = 1 };

// The image's warning event: the block that met the problem, the severity and
// a fixed English text.
using TGIFWarningEvent =
    std::function<void(platform::TPersistent* sender, TGIFSeverity severity, const std::string& message)>;

// Stages of a long operation reported through OnProgress.
enum class TProgressStage : uint8_t { psStarting, psRunning, psEnding };
// Sender, stage, percent done, whether the picture should be redrawn now,
// and a message ("Rendering...", "Converting..."); the sender is null for
// the image itself.
using TGIFProgressEvent = std::function<void(platform::TPersistent* sender, TProgressStage stage, int percent,
                                             bool redrawNow, const std::string& message)>;

// The GIF version a block needs when written.
enum class TGIFVersion : uint8_t { gvUnknown = 0, gv87a = 1, gv89a = 2 };

// Bytes that introduce the blocks of a GIF file.
inline constexpr uint8_t bsExtensionIntroducer = '!';
inline constexpr uint8_t bsImageSeparator = ',';
inline constexpr uint8_t bsTrailer = ';';

// Extension labels.
inline constexpr uint8_t bsPlainTextExtension = 0x01;
inline constexpr uint8_t bsGraphicControlExtension = 0xF9;
inline constexpr uint8_t bsCommentExtension = 0xFE;
inline constexpr uint8_t bsApplicationExtension = 0xFF;

} // namespace image
