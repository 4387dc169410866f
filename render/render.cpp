#include "render/render.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "core/audio/engine.h"
#include "core/audio/nulloutput.h"
#include "effects/effectchain.h"

namespace tv::effects {
namespace {

struct RenderOptions {
    std::string input, output;
    std::optional<int> preset;
    std::optional<EqRecord> eq;
    std::vector<DjEffect> effects;
    bool floatOutput = false;
};

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

std::vector<std::string> SplitCommas(const std::string& text) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, ','))
        parts.push_back(part);
    if (!text.empty() && text.back() == ',')
        parts.push_back("");
    return parts;
}

std::optional<int> PresetByName(const std::string& name) {
    for (int i = 0; i < kPresetCount; ++i)
        if (Lower(kPresetNames[i]) == Lower(name))
            return i;
    return std::nullopt;
}

std::optional<EqRecord> ParseGains(const std::string& text) {
    const auto parts = SplitCommas(text);
    if (parts.size() != kBandCount)
        return std::nullopt;
    EqRecord gains{};
    for (int i = 0; i < kBandCount; ++i) {
        size_t used = 0;
        int value = 0;
        try {
            value = std::stoi(parts[i], &used);
        } catch (const std::exception&) {
            return std::nullopt;
        }
        if (used != parts[i].size() || value < kSliderMin || value > kSliderMax)
            return std::nullopt;
        gains[i] = static_cast<int8_t>(value);
    }
    return gains;
}

std::optional<DjEffect> EffectByName(const std::string& name) {
    static const std::pair<const char*, DjEffect> kNames[] = {
        {"flanger", DjEffect::Flange}, {"chorus", DjEffect::Chorus}, {"echo", DjEffect::Echo},
        {"reverb", DjEffect::Reverb},  {"bass", DjEffect::Bass},     {"rotate", DjEffect::Rotate}};
    for (auto [text, effect] : kNames)
        if (Lower(name) == text)
            return effect;
    return std::nullopt;
}

// Fills `options` from the words; returns an error text, empty when they are fine.
std::string ParseArgs(std::vector<std::string> args, RenderOptions& options) {
    if (!args.empty() && args.front() == "--render")
        args.erase(args.begin());
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--float") {
            options.floatOutput = true;
        } else if (a == "--preset") {
            if (!value(v))
                return "--preset needs a name";
            options.preset = PresetByName(v);
            if (!options.preset)
                return "unknown preset \"" + v + "\"";
        } else if (a == "--eq") {
            if (!value(v))
                return "--eq needs ten gains";
            options.eq = ParseGains(v);
            if (!options.eq)
                return "--eq needs ten whole dB values from -15 to 15, comma separated: \"" + v +
                       "\"";
        } else if (a == "--effects") {
            if (!value(v))
                return "--effects needs a list";
            for (const auto& name : SplitCommas(v)) {
                const auto effect = EffectByName(name);
                if (!effect)
                    return "unknown effect \"" + name + "\"";
                options.effects.push_back(*effect);
            }
        } else if (a.rfind("--", 0) == 0) {
            return "unknown option " + a;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2)
        return "usage: torvanell --render IN OUT.wav [--preset NAME] [--eq G80,...,G14K] "
               "[--effects LIST] [--float]";
    options.input = positional[0];
    options.output = positional[1];
    return {};
}

// A WAV writer: the header is written with empty sizes and completed at the end.
class WavWriter {
public:
    WavWriter(const std::filesystem::path& path, bool floatSamples)
        : m_out(path, std::ios::binary | std::ios::trunc), m_float(floatSamples) {
        WriteHeader(0);
    }
    bool Ok() const { return static_cast<bool>(m_out); }
    void Write(const float* frames, int64_t count) {
        const int64_t samples = 2 * count;
        if (m_float) {
            m_buffer.resize(samples * 4);
            for (int64_t i = 0; i < samples; ++i)
                PutLe(&m_buffer[4 * i], Bits(frames[i]), 4);
        } else {
            m_buffer.resize(samples * 2);
            for (int64_t i = 0; i < samples; ++i)
                PutLe(&m_buffer[2 * i], static_cast<uint16_t>(ToPcm16(frames[i])), 2);
        }
        m_out.write(reinterpret_cast<const char*>(m_buffer.data()), m_buffer.size());
        m_dataBytes += m_buffer.size();
    }
    bool Finish() {
        m_out.seekp(0);
        WriteHeader(m_dataBytes);
        m_out.close();
        return static_cast<bool>(m_out);
    }

private:
    // The sample clamped to -1..1, scaled by 32767 and rounded half away from zero; silence
    // for a NaN. Adding one half in double precision is exact for every scaled float, so the
    // truncation gives the same value as std::lround without its call per sample.
    static int16_t ToPcm16(float sample) {
        float s = sample > 1.0f ? 1.0f : sample;
        s = s < -1.0f ? -1.0f : s;
        s = s == s ? s : 0.0f;
        const double scaled = static_cast<double>(s * 32767.0f);
        return static_cast<int16_t>(static_cast<int>(scaled + (scaled < 0.0 ? -0.5 : 0.5)));
    }
    static uint32_t Bits(float f) {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        return u;
    }
    static void PutLe(uint8_t* at, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            at[i] = static_cast<uint8_t>(v >> (8 * i));
    }
    void Put(uint32_t v, int bytes) {
        uint8_t b[4];
        PutLe(b, v, bytes);
        m_out.write(reinterpret_cast<const char*>(b), bytes);
    }
    void Tag(const char* t) { m_out.write(t, 4); }
    void WriteHeader(uint64_t dataBytes) {
        const uint32_t data =
            static_cast<uint32_t>(std::min<uint64_t>(dataBytes, 0xFFFFFFFFu - 64));
        const int bytesPerSample = m_float ? 4 : 2;
        // Float data carries the extension size and a "fact" chunk, as readers expect.
        const uint32_t fmtSize = m_float ? 18 : 16;
        const uint32_t extra = m_float ? 12 : 0;
        Tag("RIFF");
        Put(4 + 8 + fmtSize + extra + 8 + data, 4);
        Tag("WAVE");
        Tag("fmt ");
        Put(fmtSize, 4);
        Put(m_float ? 3 : 1, 2);
        Put(2, 2);
        Put(audio::kOutputRate, 4);
        Put(audio::kOutputRate * 2 * bytesPerSample, 4);
        Put(2 * bytesPerSample, 2);
        Put(8 * bytesPerSample, 2);
        if (m_float) {
            Put(0, 2);
            Tag("fact");
            Put(4, 4);
            Put(data / (2 * bytesPerSample), 4);
        }
        Tag("data");
        Put(data, 4);
    }

    std::ofstream m_out;
    bool m_float;
    std::vector<uint8_t> m_buffer;
    uint64_t m_dataBytes = 0;
};

audio::Handle OpenInput(audio::Engine& engine, const std::filesystem::path& path) {
    for (int f = 0; f < audio::kStreamFormatCount; ++f)
        if (const auto h = engine.StreamCreateFile(static_cast<audio::StreamFormat>(f), path, 0))
            return h;
    return engine.MusicLoad(path, audio::kMusicPrescan);
}

void SetUpChain(EffectChain& chain, const RenderOptions& options) {
    if (options.preset || options.eq)
        chain.SetEqualizerChecked(true);
    if (options.preset) {
        chain.SetPresetIndex(*options.preset);
        chain.boxEQSelectChange();
    }
    if (options.eq)
        for (int i = 0; i < kBandCount; ++i)
            chain.SetSliderPosition(i, -(*options.eq)[i]);
    for (DjEffect e : options.effects)
        chain.SetEffectChecked(e, true);
}

// After the input ends the effects ring on (echo, reverb): the tail is rendered until it has
// stayed below -90 dBFS for longer than the longest echo delay (2 s), at most 10 s, and is
// written up to its last audible frame.
void WriteTail(audio::Engine& engine, audio::Handle channel, WavWriter& writer) {
    constexpr float kQuiet = 3.1623e-5f;  // -90 dBFS
    constexpr int64_t kMaxTail = int64_t(10) * audio::kOutputRate;
    constexpr int64_t kQuietSpan = int64_t(5) * audio::kOutputRate / 2;
    constexpr int64_t kBlock = 4096;
    std::vector<float> tail;
    int64_t done = 0;
    int64_t audible = 0;  // frames up to and including the last audible one
    while (done < kMaxTail && done - audible < kQuietSpan) {
        tail.resize(static_cast<size_t>(done + kBlock) * 2);
        const int64_t got =
            engine.RenderTail(channel, tail.data() + done * 2, std::min(kBlock, kMaxTail - done));
        if (got <= 0)
            break;
        for (int64_t i = done * 2; i < (done + got) * 2; ++i)
            if (std::fabs(tail[static_cast<size_t>(i)]) >= kQuiet)
                audible = i / 2 + 1;
        done += got;
    }
    if (audible > 0 && writer.Ok())
        writer.Write(tail.data(), audible);
}

}  // namespace

int RunRenderCommand(const std::vector<std::string>& args, std::ostream& err) {
    RenderOptions options;
    if (const std::string problem = ParseArgs(args, options); !problem.empty()) {
        err << "torvanell --render: " << problem << "\n";
        return 1;
    }
    audio::Engine engine(std::make_unique<audio::NullOutput>());
    const audio::Handle channel = OpenInput(engine, options.input);
    if (!channel) {
        err << "torvanell --render: cannot read \"" << options.input << "\" as audio\n";
        return 1;
    }
    EffectChain chain(engine, [channel] { return ChannelState{channel, true}; });
    SetUpChain(chain, options);

    // The file is written beside its final name and renamed over it when complete, so a
    // failure never leaves a half-written OUT (nor damages one that was there).
    const std::filesystem::path out = options.output;
    std::filesystem::path partial = out;
    partial += ".part";
    WavWriter writer(partial, options.floatOutput);
    std::vector<float> block(2 * 4096);
    while (writer.Ok()) {
        const int64_t got = engine.RenderOffline(channel, block.data(), 4096);
        if (got <= 0)
            break;
        writer.Write(block.data(), got);
    }
    WriteTail(engine, channel, writer);
    std::error_code renameError;
    const bool written = writer.Ok() && writer.Finish();
    if (written)
        std::filesystem::rename(partial, out, renameError);
    if (!written || renameError) {
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        err << "torvanell --render: cannot write \"" << options.output << "\"\n";
        return 1;
    }
    engine.StreamFree(channel);
    engine.MusicFree(channel);
    return 0;
}

}  // namespace tv::effects
