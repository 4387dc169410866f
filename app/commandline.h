#pragma once

// The program's command line: options and the names to add.

#include <optional>
#include <string>
#include <vector>

namespace tv::app {

struct CommandLine {
    std::vector<std::string> names;  // as typed, in order
    bool newInstance = false;        // --new-instance
    bool verbose = false;            // --verbose
    // Set when the program ends at once with this status (--help, --version: 0; an unknown
    // option: 2, after a message on stderr).
    std::optional<int> exitStatus;
};

// Reads argv[1..argc-1]; "--" ends the options. Prints --help and --version itself.
CommandLine ParseCommandLine(int argc, char** argv);

}  // namespace tv::app
