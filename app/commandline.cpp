#include "app/commandline.h"

#include <cstdio>

namespace tv::app {

namespace {

void PrintHelp() {
    std::printf(
        "Usage: torvanell [OPTION] [NAME]...\n"
        "Adds each NAME (an audio or video file, a folder or an M3U playlist) to the playlist;\n"
        "plays the first one when it is a media file.\n\n"
        "When a player with the same settings folder is already running, the names go to it\n"
        "(added like a drop, the first played when it is a media file) and this start ends.\n\n"
        "Options:\n"
        "  --new-instance  start a player of its own even when one is running\n"
        "  --verbose  print diagnostic messages (the audio dropouts) to standard error\n"
        "  --help     show this help and exit\n"
        "  --version  show the program name, version and licence and exit\n"
        "  --render IN OUT.wav [--preset NAME] [--eq G80,...,G14K]\n"
        "           [--effects flanger,chorus,echo,reverb,bass,rotate] [--float]\n"
        "             write IN through the equalizer and effects to OUT.wav (44 100 Hz\n"
        "             stereo, 16-bit or with --float 32-bit float) without a window, then exit\n\n"
        "Environment:\n"
        "  TORVANELL_HOME                  folder of settings.ini and default.m3u\n"
        "  XDG_RUNTIME_DIR                 folder of the running player's socket\n"
        "                                  (else $TMPDIR/torvanell-UID, /tmp when unset)\n"
        "  TORVANELL_WARNINGS_TO_STDERR=1  print warnings to stderr instead of showing a box\n");
}

}  // namespace

CommandLine ParseCommandLine(int argc, char** argv) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--new-instance") {
            line.newInstance = true;
        } else if (arg == "--verbose") {
            line.verbose = true;
        } else if (arg == "--version") {
            std::printf(
                "Torvanell %s\n"
                "Licence GPL-3.0-or-later: GNU GPL version 3 or later "
                "<https://gnu.org/licenses/gpl.html>.\n"
                "This is free software: you are free to change and redistribute it.\n"
                "There is NO WARRANTY, to the extent permitted by law.\n",
                TORVANELL_VERSION);
            line.exitStatus = 0;
            return line;
        } else if (arg == "--help" || arg == "-h") {
            PrintHelp();
            line.exitStatus = 0;
            return line;
        } else if (arg == "--") {
            line.names.insert(line.names.end(), argv + i + 1, argv + argc);
            break;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "torvanell: unknown option %s (see --help)\n", arg.c_str());
            line.exitStatus = 2;
            return line;
        } else {
            line.names.push_back(arg);
        }
    }
    return line;
}

}  // namespace tv::app
