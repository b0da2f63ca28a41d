// vtool photo URL [--type GIF|JPEG|PNG]
// Fetches URL and decodes it as the favourites' cards decode a photo (the
// type chosen by the address's ending unless given), then prints
// "WIDTHxHEIGHT BYTES" (the decoded picture's size in memory). For measuring
// what one photo costs: `/usr/bin/time -v vtool photo URL`. A failed fetch
// or decode prints the reason on standard error and exits with 1.
#include "Command.h"

#include "app/forms/TPersonPhotoLoader.h"
#include "image/ImageLoaders.h"
#include "image/TImageLoader.h"
#include "web/TSubmit.h"

#include <cstdio>
#include <utility>

namespace {

class ReportingSubmit : public TSubmit {
protected:
    void ReportError(const std::string& text) override { std::fprintf(stderr, "vtool photo: %s\n", text.c_str()); }
};

int Photo(const vtool::Args& args) {
    const auto positional = vtool::Positional(args, {"--type"});
    if (positional.size() != 1 || (vtool::HasFlag(args, "--type") && vtool::Option(args, "--type").empty())) {
        std::fprintf(stderr, "usage: vtool photo URL [--type GIF|JPEG|PNG]\n");
        return 2;
    }
    image::RegisterImageLoaders();
    const std::string url = positional[0];
    const std::string type = vtool::Option(args, "--type", app::TPersonPhotoLoader::PhotoImageType(url));
    ReportingSubmit submit;
    submit.SetURL(url);
    submit.SetMaxContentLength(image::TImageLoader::MaxDownloadBytes);
    submit.RequestHeader().SetAccept(image::TImageLoader::AcceptTypes);
    std::string body;
    if (submit.Connect()) body = submit.GetString();
    submit.Disconnect();
    if (body.empty()) return 1;
    std::string failure;
    const QImage picture = image::TImageLoader::Decode(std::move(body), type, &failure);
    if (picture.isNull()) {
        if (failure.empty()) failure = "not a " + type + " picture";
        std::fprintf(stderr, "vtool photo: %s\n", failure.c_str());
        return 1;
    }
    std::printf("%dx%d %lld\n", picture.width(), picture.height(), static_cast<long long>(picture.sizeInBytes()));
    return 0;
}

const vtool::Register reg("photo", "URL [--type GIF|JPEG|PNG]", Photo);

} // namespace
