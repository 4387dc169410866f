#pragma once

// Tracker modules (.mod .s3m .xm .it .mtm .umx .mo3 ...) through libopenmpt. A module renders
// straight at the output rate in stereo, so its source rate is the output rate and its
// positions count rendered frames.

#include <filesystem>
#include <memory>

#include "core/audio/decoder.h"

namespace tv::audio {

// Loads `path` as a module. nullptr when the file is missing, larger than kMaxModuleBytes,
// or not a module. Never throws; logs nothing. Runs on the calling thread and reads the file.
std::unique_ptr<Decoder> OpenModuleDecoder(const std::filesystem::path& path);

inline constexpr uintmax_t kMaxModuleBytes = 64u * 1024 * 1024;

}  // namespace tv::audio
