// The track probe on arbitrary bytes: it reads files, so each input is written to one temporary
// file first. The probe must not crash, hang or report a negative length.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "core/audio/trackprobe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("tv-probe-fuzz-" + std::to_string(getpid())))
            .string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    if (size > 0)  // an empty input comes with a null pointer
        std::fwrite(data, 1, size, file);
    std::fclose(file);
    const tv::audio::TrackProbe probe = tv::audio::ProbeTrack(path);
    if (probe.durationSeconds < 0)
        std::abort();
    std::remove(path.c_str());
    return 0;
}
