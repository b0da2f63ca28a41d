// libFuzzer target: the settings file ("registry.xml") as the program reads
// it at start-up. Whatever it holds, the settings load (a damaged file is
// set aside), and the page count read is within its bounds.
#include "FuzzSupport.h"

#include "data/TTesselSettings.h"
#include "platform/TRegistry.h"

#include <cstdlib>
#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::Setup();
    const auto file = platform::TRegistry::StoreFile();
    std::filesystem::create_directories(file.parent_path());
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    data::TTesselSettings settings;
    settings.Load();
    if (settings.PageCount() < 0 || settings.PageCount() > data::TTesselSettings::MaxPageCount) std::abort();
    (void)settings.GetPassword();
    std::error_code ec;
    std::filesystem::remove(platform::TRegistry::TakeSetAsideFile(), ec); // a damaged file set aside
    return 0;
}
