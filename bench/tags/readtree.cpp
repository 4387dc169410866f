// Our side of the tag-reading benchmark: the playlist's one-call helper per file.
#include "tags/trackinfo.h"
#include "treewalk.h"

int main(int argc, char** argv) {
    return RunTree(argc, argv, "torvanell", [](const std::filesystem::path& p) {
        const tv::tags::MpegTrackInfo info = tv::tags::ReadMpegTrackInfo(p);
        return ReadResult{info.Artist(), info.Title(), int(info.Duration)};
    });
}
