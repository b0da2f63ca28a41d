#include "GifTestSupport.h"

#include "image/gif/GIFException.h"
#include "image/gif/TGIFGraphicControlExtension.h"

#include <QBuffer>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <cstring>
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <random>

namespace giftest {

namespace {

struct MemoryReader {
    const std::string* Data;
    size_t Pos;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buf, int count) {
    auto* r = static_cast<MemoryReader*>(gif->UserData);
    const size_t n = std::min(static_cast<size_t>(count), r->Data->size() - r->Pos);
    std::memcpy(buf, r->Data->data() + r->Pos, n);
    r->Pos += n;
    return static_cast<int>(n);
}

int WriteToString(GifFileType* gif, const GifByteType* buf, int count) {
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(buf), static_cast<size_t>(count));
    return count;
}

ColorMapObject* GreyMap(int bits) {
    const int n = 1 << bits;
    std::vector<GifColorType> colors(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const auto v = static_cast<GifByteType>(i * 255 / std::max(1, n - 1));
        colors[static_cast<size_t>(i)] = {v, v, static_cast<GifByteType>(255 - v)};
    }
    return GifMakeMapObject(n, colors.data());
}

void PutWord(std::string& s, int v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

std::vector<OracleExtensionBlock> Blocks(int count, const ExtensionBlock* blocks) {
    std::vector<OracleExtensionBlock> out;
    for (int i = 0; i < count; ++i)
        out.push_back({blocks[i].Function, std::string(reinterpret_cast<const char*>(blocks[i].Bytes),
                                                       static_cast<size_t>(blocks[i].ByteCount))});
    return out;
}

} // namespace

bool Slurp(const std::string& bytes, OracleImage& out, std::string& error) {
    MemoryReader reader{&bytes, 0};
    int err = 0;
    GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &err);
    if (!gif) {
        error = GifErrorString(err) ? GifErrorString(err) : "open failed";
        return false;
    }
    const bool ok = DGifSlurp(gif) == GIF_OK;
    if (!ok) {
        error = GifErrorString(gif->Error) ? GifErrorString(gif->Error) : "slurp failed";
    } else {
        out = {};
        out.Width = gif->SWidth;
        out.Height = gif->SHeight;
        out.GlobalColors = gif->SColorMap ? gif->SColorMap->ColorCount : 0;
        for (int i = 0; i < gif->ImageCount; ++i) {
            const SavedImage& s = gif->SavedImages[i];
            OracleFrame f;
            f.Left = s.ImageDesc.Left;
            f.Top = s.ImageDesc.Top;
            f.Width = s.ImageDesc.Width;
            f.Height = s.ImageDesc.Height;
            f.Interlace = s.ImageDesc.Interlace;
            f.LocalColors = s.ImageDesc.ColorMap ? s.ImageDesc.ColorMap->ColorCount : 0;
            GraphicsControlBlock gcb;
            if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK) f.TransparentIndex = gcb.TransparentColor;
            f.Pixels.assign(s.RasterBits, s.RasterBits + size_t(f.Width) * size_t(f.Height));
            f.Extensions = Blocks(s.ExtensionBlockCount, s.ExtensionBlocks);
            out.Frames.push_back(std::move(f));
        }
        out.TrailingExtensions = Blocks(gif->ExtensionBlockCount, gif->ExtensionBlocks);
    }
    DGifCloseFile(gif, &err);
    return ok;
}

std::string EncodeWithGiflib(int screenWidth, int screenHeight, int globalBits,
                             const std::vector<EncodeFrame>& frames) {
    std::string out;
    int err = 0;
    GifFileType* gif = EGifOpen(&out, WriteToString, &err);
    if (!gif) return {};
    EGifSetGifVersion(gif, true);
    ColorMapObject* global = globalBits > 0 ? GreyMap(globalBits) : nullptr;
    EGifPutScreenDesc(gif, screenWidth, screenHeight, 8, 0, global);
    for (const EncodeFrame& f : frames) {
        if (f.TransparentIndex >= 0) {
            GraphicsControlBlock gcb{};
            gcb.TransparentColor = f.TransparentIndex;
            GifByteType ext[4];
            const size_t len = EGifGCBToExtension(&gcb, ext);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(len), ext);
        }
        ColorMapObject* local = f.LocalBits > 0 ? GreyMap(f.LocalBits) : nullptr;
        // giflib keeps a copy of the last local table and forgets it, unfreed,
        // when a frame without one follows.
        if (!local && gif->Image.ColorMap) {
            GifFreeMapObject(gif->Image.ColorMap);
            gif->Image.ColorMap = nullptr;
        }
        EGifPutImageDesc(gif, f.Left, f.Top, f.Width, f.Height, f.Interlace, local);
        std::vector<GifPixelType> row(static_cast<size_t>(f.Width));
        auto putRow = [&](int y) {
            std::copy_n(f.Pixels.begin() + ptrdiff_t(y) * f.Width, f.Width, row.begin());
            EGifPutLine(gif, row.data(), f.Width);
        };
        if (f.Interlace) {
            static constexpr int Start[4] = {0, 4, 2, 1}, Step[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = Start[pass]; y < f.Height; y += Step[pass]) putRow(y);
        } else {
            for (int y = 0; y < f.Height; ++y) putRow(y);
        }
        if (local) GifFreeMapObject(local);
    }
    EGifCloseFile(gif, &err);
    if (global) GifFreeMapObject(global);
    return out;
}

LoadResult Load(const std::string& bytes, image::TGIFImage& image) {
    LoadResult result;
    image.SetOnWarning([&](platform::TPersistent*, image::TGIFSeverity, const std::string& message) {
        result.Warnings.push_back(message);
    });
    QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    try {
        image.LoadFromStream(buffer);
    } catch (const image::GIFException& e) {
        result.Error = e.what();
    }
    result.Position = buffer.pos();
    image.SetOnWarning(nullptr);
    return result;
}

std::string Save(const image::TGIFImage& image) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.SaveToStream(buffer);
    return data.toStdString();
}

bool HaveTool(const char* program) { return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty(); }

bool Run(const QString& program, const QStringList& args, std::string* output) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000)) return false;
    if (output) *output = p.readAllStandardOutput().toStdString();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

std::string PackCodes(int setCodeSize, const std::vector<int>& codes) {
    const int clearCode = 1 << setCodeSize;
    const int endCode = clearCode + 1;
    int codeSize = setCodeSize + 1, maxCode = clearCode + 2, maxCodeSize = 2 * clearCode;
    bool first = true;
    std::string out;
    uint32_t acc = 0;
    int bits = 0;
    for (int code : codes) {
        acc |= uint32_t(code) << bits;
        bits += codeSize;
        while (bits >= 8) {
            out += static_cast<char>(acc & 0xFF);
            acc >>= 8;
            bits -= 8;
        }
        if (code == clearCode) {
            codeSize = setCodeSize + 1;
            maxCode = clearCode + 2;
            maxCodeSize = 2 * clearCode;
            first = true;
        } else if (code == endCode) {
        } else if (first) {
            first = false;
        } else if (maxCode < 4096) {
            ++maxCode;
            if (maxCode >= maxCodeSize && maxCodeSize < 4096) {
                maxCodeSize *= 2;
                ++codeSize;
            }
        }
    }
    if (bits > 0) out += static_cast<char>(acc & 0xFF);
    return out;
}

std::string SubBlocks(const std::string& data, size_t blockSize) {
    std::string out;
    for (size_t i = 0; i < data.size(); i += blockSize) {
        const size_t n = std::min(blockSize, data.size() - i);
        out += static_cast<char>(n);
        out.append(data, i, n);
    }
    out += '\0';
    return out;
}

std::string Header(int width, int height, int globalBits) {
    std::string s = "GIF89a";
    PutWord(s, width);
    PutWord(s, height);
    s += static_cast<char>(globalBits > 0 ? 0x80 | 0x70 | (globalBits - 1) : 0);
    s += '\0';
    s += '\0';
    for (int i = 0; globalBits > 0 && i < (1 << globalBits); ++i) {
        s += static_cast<char>(i);
        s += static_cast<char>(i);
        s += static_cast<char>(i);
    }
    return s;
}

std::string Descriptor(int left, int top, int width, int height, uint8_t packed) {
    std::string s = ",";
    PutWord(s, left);
    PutWord(s, top);
    PutWord(s, width);
    PutWord(s, height);
    s += static_cast<char>(packed);
    return s;
}

std::string Gce(bool transparent, int transparentIndex, int delay, int disposal) {
    std::string s = "!\xF9\x04";
    s += static_cast<char>((disposal << 2) | (transparent ? 1 : 0));
    PutWord(s, delay);
    s += static_cast<char>(transparentIndex);
    s += '\0';
    return s;
}

std::string Frame(int width, int height, int setCodeSize, const std::vector<int>& codes, size_t blockSize,
                  uint8_t packed) {
    return Descriptor(0, 0, width, height, packed) + static_cast<char>(setCodeSize) +
           SubBlocks(PackCodes(setCodeSize, codes), blockSize);
}

void ExpectSameAsGiflib(const std::string& bytes, const std::string& what) {
    using namespace image;
    SCOPED_TRACE(what);
    OracleImage oracle;
    std::string error;
    ASSERT_TRUE(Slurp(bytes, oracle, error)) << error;

    TGIFImage image;
    const LoadResult r = Load(bytes, image);
    ASSERT_TRUE(r.Ok()) << r.Error;
    EXPECT_TRUE(r.Warnings.empty()) << r.Warnings.front();
    EXPECT_EQ(r.Position, static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(image.GlobalColorMap().Count(), oracle.GlobalColors);

    // Frames of extensions alone (before the trailer) are ours only.
    std::vector<const TGIFSubImage*> frames;
    for (const auto& f : image.Images())
        if (f->DataSize() > 0 || f->Width() > 0) frames.push_back(f.get());
    ASSERT_EQ(frames.size(), oracle.Frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        const TGIFSubImage& ours = *frames[i];
        const OracleFrame& theirs = oracle.Frames[i];
        EXPECT_EQ(ours.Left(), theirs.Left);
        EXPECT_EQ(ours.Top(), theirs.Top);
        EXPECT_EQ(ours.Width(), theirs.Width);
        EXPECT_EQ(ours.Height(), theirs.Height);
        EXPECT_EQ(ours.Interlaced(), theirs.Interlace);
        EXPECT_EQ(ours.ColorMap().Count(), theirs.LocalColors);
        EXPECT_EQ(ours.Transparent() ? ours.GraphicControlExtension()->TransparentColorIndex() : -1,
                  theirs.TransparentIndex);
        ASSERT_EQ(ours.DataSize(), static_cast<int64_t>(theirs.Pixels.size()));
        EXPECT_TRUE(std::equal(theirs.Pixels.begin(), theirs.Pixels.end(), ours.Data()));
    }
}

std::vector<uint8_t> Pixels(int w, int h, int bits, Fill fill, unsigned seed) {
    std::mt19937 rng(seed);
    const int colors = 1 << bits;
    std::vector<uint8_t> p(size_t(w) * size_t(h));
    size_t run = 0;
    uint8_t runColor = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const int x = int(i % size_t(w)), y = int(i / size_t(w));
        switch (fill) {
        case Fill::Random: p[i] = uint8_t(rng() % unsigned(colors)); break;
        case Fill::Gradient: p[i] = uint8_t((x + y) * colors / std::max(1, w + h)); break;
        case Fill::Flat: p[i] = uint8_t(colors - 1); break;
        case Fill::Stripes: p[i] = uint8_t((x / 3 + y) % colors); break;
        case Fill::Runs:
            if (run == 0) {
                runColor = rng() % 3 == 0 ? uint8_t(rng() % unsigned(colors)) : 0;
                run = runColor == 0 ? 1 + rng() % 700 : 1 + rng() % 4;
            }
            p[i] = runColor;
            --run;
            break;
        }
    }
    return p;
}

} // namespace giftest
