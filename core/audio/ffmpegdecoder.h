#pragma once

// Stream decoding through FFmpeg. One class serves every stream opener; what differs is
// which content each opener accepts (FormatAccepts), decided from what FFmpeg's probe finds
// in the bytes, never from the file name.

#include <filesystem>
#include <memory>

#include "core/audio/audiolibrary.h"
#include "core/audio/decoder.h"

namespace tv::audio {

// Opens `path` as a stream of `format`. nullptr when the file is missing, unreadable, of
// another format, or holds no decodable audio frame. Never throws; logs nothing.
// Runs on the calling thread (the user-interface thread) and reads the file.
std::unique_ptr<Decoder> OpenFfmpegDecoder(StreamFormat format, const std::filesystem::path& path);

namespace Internal {
// Whether the opener of `format` takes content that FFmpeg identified as the demuxer
// `demuxer` (its short name list, e.g. "mov,mp4,m4a,3gp,3g2,mj2") holding audio of `codecId`
// (an AVCodecID).
bool FormatAccepts(StreamFormat format, const char* demuxer, int codecId);
}  // namespace Internal

}  // namespace tv::audio
