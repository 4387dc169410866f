// Fuzz target of the settings file reader: any bytes must parse without a crash; the text
// written back must read back to the same text; the settings read from it stay in range; and
// settings written into it read back unchanged, whatever else the file holds.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/inifile.h"
#include "core/settings.h"

namespace {

bool Same(const tv::core::MainSettings& a, const tv::core::MainSettings& b) {
    return a.mainWidth == b.mainWidth && a.mainHeight == b.mainHeight && a.mainPosX == b.mainPosX &&
           a.mainPosY == b.mainPosY && a.volume == b.volume && a.trackPos == b.trackPos &&
           a.equalizer == b.equalizer && a.random == b.random && a.replay == b.replay &&
           a.timeMode == b.timeMode && a.spectrumMode == b.spectrumMode &&
           a.spectrumSpeed == b.spectrumSpeed && a.peak == b.peak;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tv::core;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    IniFile ini = IniFile::Parse(text);
    const std::string once = ini.Render();
    if (IniFile::Parse(once).Render() != once)
        std::abort();

    MainSettings read = LoadMainSettings(ini, 1920, 1080);
    if (read.volume < 0 || read.volume > 100)
        std::abort();
    (void)LoadOpenFolderSettings(ini);

    read.mainWidth ^= 1;  // make sure something changes
    read.random = !read.random;
    StoreMainSettings(ini, read);
    const IniFile back = IniFile::Parse(ini.Render());
    if (!Same(LoadMainSettings(back, 1920, 1080), read))
        std::abort();
    return 0;
}
