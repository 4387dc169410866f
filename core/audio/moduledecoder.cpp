#include "core/audio/moduledecoder.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include <libopenmpt/libopenmpt.hpp>

namespace tv::audio {
namespace {

class ModuleDecoder final : public Decoder {
public:
    explicit ModuleDecoder(std::unique_ptr<openmpt::module> module) : m_module(std::move(module)) {
        // Play the song once and stop at its end, so the player can move on.
        m_module->set_repeat_count(0);
        m_module->ctl_set_text("play.at_end", "stop");
        m_info.rate = kOutputRate;
        m_info.channels = 2;
        m_info.lengthFrames =
            static_cast<int64_t>(std::llround(m_module->get_duration_seconds() * kOutputRate));
    }

    const SourceInfo& Info() const override { return m_info; }

    int Read(float* out, int frames) override {
        try {
            return static_cast<int>(
                m_module->read_interleaved_stereo(kOutputRate, static_cast<size_t>(frames), out));
        } catch (...) {
            return 0;
        }
    }

    bool Seek(int64_t sourceFrame) override {
        if (sourceFrame < 0)
            return false;
        try {
            m_module->set_position_seconds(static_cast<double>(sourceFrame) / kOutputRate);
            return true;
        } catch (...) {
            return false;
        }
    }

private:
    std::unique_ptr<openmpt::module> m_module;
    SourceInfo m_info;
};

}  // namespace

std::unique_ptr<Decoder> OpenModuleDecoder(const std::filesystem::path& path) {
    try {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec))
            return nullptr;
        const uintmax_t size = std::filesystem::file_size(path, ec);
        if (ec || size == 0 || size > kMaxModuleBytes)
            return nullptr;
        std::ifstream in(path, std::ios::binary);
        std::vector<char> data(static_cast<size_t>(size));
        if (!in.read(data.data(), static_cast<std::streamsize>(size)))
            return nullptr;
        std::ostringstream quiet;  // libopenmpt's messages are not shown to anyone
        auto module = std::make_unique<openmpt::module>(data, quiet);
        return std::make_unique<ModuleDecoder>(std::move(module));
    } catch (...) {
        return nullptr;
    }
}

}  // namespace tv::audio
