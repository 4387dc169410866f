#pragma once

// Export with effects: decodes a file through the engine and the effect chain offline and
// writes the result as a WAV file at 44 100 Hz stereo.

#include <ostream>
#include <string>
#include <vector>

namespace tv::effects {

// Runs `torvanell --render IN OUT.wav [--preset NAME] [--eq G80,G170,...,G14K]
// [--effects flanger,chorus,echo,reverb,bass,rotate] [--float]`. `args` are the words after
// "--render" (a leading "--render" is skipped too). Writes 16-bit PCM, or 32-bit float with
// --float. A preset or --eq switches the equalizer on; --eq takes ten whole dB values in
// -15..15 and wins over the preset. Returns 0 on success; on a bad argument, an input no
// opener accepts or an output that cannot be written, prints one line to `err`, leaves no
// output file behind and returns 1.
int RunRenderCommand(const std::vector<std::string>& args, std::ostream& err);

}  // namespace tv::effects
