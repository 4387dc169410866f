// The peer side of the tag-reading benchmark: TagLib's FileRef with its default (average)
// audio-properties reading, asked for the same three values.
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include "treewalk.h"

int main(int argc, char** argv) {
    return RunTree(argc, argv, "taglib", [](const std::filesystem::path& p) {
        TagLib::FileRef ref(p.c_str());
        ReadResult r;
        if (!ref.isNull() && ref.tag()) {
            r.artist = ref.tag()->artist().to8Bit(true);
            r.title = ref.tag()->title().to8Bit(true);
        }
        if (!ref.isNull() && ref.audioProperties())
            r.seconds = ref.audioProperties()->lengthInSeconds();
        return r;
    });
}
