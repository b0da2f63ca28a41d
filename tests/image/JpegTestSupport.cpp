#include "JpegTestSupport.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace imagetest {

namespace {

struct TestErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void TestErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<TestErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void Silent(j_common_ptr) {}

// The fields below are touched after setjmp only through pointers, so they
// keep their values across the jump.
struct EncodeJob {
    jpeg_compress_struct cinfo;
    TestErrorManager err;
    unsigned char* out;
    unsigned long outSize;
};

bool RunEncode(EncodeJob* job, const JpegOptions* options, const uint8_t* pixels) {
    if (setjmp(job->err.jump)) return false;
    jpeg_create_compress(&job->cinfo);
    jpeg_mem_dest(&job->cinfo, &job->out, &job->outSize);
    job->cinfo.image_width = static_cast<JDIMENSION>(options->width);
    job->cinfo.image_height = static_cast<JDIMENSION>(options->height);
    job->cinfo.input_components = options->gray ? 1 : 3;
    job->cinfo.in_color_space = options->gray ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&job->cinfo);
    jpeg_set_quality(&job->cinfo, options->quality, TRUE);
    if (!options->gray) {
        job->cinfo.comp_info[0].h_samp_factor = options->hSampling;
        job->cinfo.comp_info[0].v_samp_factor = options->vSampling;
    }
    if (options->progressive) jpeg_simple_progression(&job->cinfo);
    job->cinfo.restart_in_rows = options->restartRows;
    job->cinfo.arith_code = options->arithmetic ? TRUE : FALSE;
    jpeg_start_compress(&job->cinfo, TRUE);
    const size_t stride = size_t(options->width) * (options->gray ? 1 : 3);
    while (job->cinfo.next_scanline < job->cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + job->cinfo.next_scanline * stride);
        jpeg_write_scanlines(&job->cinfo, &row, 1);
    }
    jpeg_finish_compress(&job->cinfo);
    return true;
}

struct DecodeJob {
    jpeg_decompress_struct cinfo;
    TestErrorManager err;
    DecodedJpeg* result;
};

bool RunDecode(DecodeJob* job, const std::string* file, int scaleDenom) {
    if (setjmp(job->err.jump)) return false;
    jpeg_create_decompress(&job->cinfo);
    jpeg_mem_src(&job->cinfo, reinterpret_cast<const unsigned char*>(file->data()),
                 static_cast<unsigned long>(file->size()));
    jpeg_read_header(&job->cinfo, TRUE);
    job->cinfo.dct_method = JDCT_ISLOW;
    job->cinfo.do_fancy_upsampling = TRUE;
    job->cinfo.scale_num = 1;
    job->cinfo.scale_denom = static_cast<unsigned>(scaleDenom);
    job->cinfo.out_color_space = job->cinfo.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&job->cinfo);
    DecodedJpeg* r = job->result;
    r->width = static_cast<int>(job->cinfo.output_width);
    r->height = static_cast<int>(job->cinfo.output_height);
    r->components = job->cinfo.output_components;
    r->pixels.resize(size_t(r->width) * size_t(r->height) * size_t(r->components));
    while (job->cinfo.output_scanline < job->cinfo.output_height) {
        JSAMPROW row = r->pixels.data() + size_t(job->cinfo.output_scanline) * size_t(r->width) * size_t(r->components);
        jpeg_read_scanlines(&job->cinfo, &row, 1);
    }
    jpeg_finish_decompress(&job->cinfo);
    return true;
}

std::vector<uint8_t> Picture(const JpegOptions& options) {
    const int channels = options.gray ? 1 : 3;
    std::vector<uint8_t> pixels(size_t(options.width) * size_t(options.height) * size_t(channels));
    uint32_t noise = 2463534242u;
    size_t i = 0;
    for (int y = 0; y < options.height; ++y)
        for (int x = 0; x < options.width; ++x)
            for (int c = 0; c < channels; ++c) {
                noise ^= noise << 13;
                noise ^= noise >> 17;
                noise ^= noise << 5;
                const int base = c == 0 ? x * 255 / std::max(options.width - 1, 1)
                               : c == 1 ? y * 255 / std::max(options.height - 1, 1)
                                        : (x + y) * 255 / std::max(options.width + options.height - 2, 1);
                const int value = y >= options.height - options.uniformRows
                                      ? 200
                                      : base + int(noise % 41) - 20 + ((x / 8 + y / 8) % 2 ? 30 : -30);
                pixels[i++] = static_cast<uint8_t>(std::clamp(value, 0, 255));
            }
    return pixels;
}

std::string Encode(const JpegOptions& options, const uint8_t* pixels) {
    EncodeJob job{};
    job.cinfo.err = jpeg_std_error(&job.err.pub);
    job.err.pub.error_exit = TestErrorExit;
    job.err.pub.output_message = Silent;
    std::string file;
    if (RunEncode(&job, &options, pixels)) {
        file.assign(reinterpret_cast<char*>(job.out), job.outSize);
        std::free(job.out);
    } // (after a failure libjpeg's memory destination may have let go of its buffer)
    jpeg_destroy_compress(&job.cinfo);
    return file;
}

} // namespace

std::string MakeJpeg(const JpegOptions& options) { return Encode(options, Picture(options).data()); }

DecodedJpeg DecodeWithLibjpeg(const std::string& file, int scaleDenom) {
    DecodedJpeg result;
    DecodeJob job{};
    job.cinfo.err = jpeg_std_error(&job.err.pub);
    job.err.pub.error_exit = TestErrorExit;
    job.err.pub.output_message = Silent;
    job.result = &result;
    if (!RunDecode(&job, &file, scaleDenom)) {
        result = DecodedJpeg{};
        result.error = job.err.message;
    }
    jpeg_destroy_decompress(&job.cinfo);
    return result;
}

std::string EncodePixels(const std::vector<uint8_t>& pixels, int width, int height, bool gray, int quality) {
    JpegOptions options;
    options.width = width;
    options.height = height;
    options.gray = gray;
    options.quality = quality;
    return Encode(options, pixels.data());
}

} // namespace imagetest
