// The FLAC and Opus formats of the tag tool: their stream figures and comment fields for "show",
// and writing and clearing the comment list, which both keep in the same form.

#include "tags/flacmeta.h"
#include "tags/opusfile.h"
#include "tags/textcodec.h"
#include "tags/tool/entrytitle.h"
#include "tags/tool/tagformat.h"
#include "tags/tool/writablekind.h"

namespace tv::tags::tool {

namespace {

void Line(std::string& report, const char* label, const std::string& value) {
    if (!value.empty())
        report += std::string("  ") + label + ": " + value + "\n";
}

// The playlist row, the comment fields and the lines of the report that both formats share.
void ShowFields(const std::filesystem::path& path, const VorbisFields& f, double duration,
                JsonWriter& json, std::string& report) {
    const std::string text =
        BuildEntryTitle(path.filename().string(), Trim(f.Artist()), Trim(f.Title()));
    const std::string time = FormatDuration(duration);
    json.BeginObject("entry").String("title", text).String("duration", time).EndObject();
    json.BeginObject("comments")
        .String("title", f.Title())
        .String("artist", f.Artist())
        .String("album", f.Album())
        .Int("track", f.Track())
        .String("date", f.Date())
        .String("genre", f.Genre())
        .String("comment", f.Comment())
        .String("vendor", f.Vendor())
        .EndObject();
    Line(report, "title", f.Title());
    Line(report, "artist", f.Artist());
    Line(report, "album", f.Album());
    Line(report, "track", f.Track() ? std::to_string(f.Track()) : "");
    Line(report, "date", f.Date());
    Line(report, "genre", f.Genre());
    Line(report, "comment", f.Comment());
    Line(report, "vendor", f.Vendor());
    report += "Playlist entry\n";
    Line(report, "title", text);
    Line(report, "duration", time);
}

bool ApplyValues(VorbisFields& f, const WriteValues& values, std::string& error) {
    for (const auto& [key, value] : values) {
        if (key == "title")
            f.SetTitle(value);
        else if (key == "artist")
            f.SetArtist(value);
        else if (key == "album")
            f.SetAlbum(value);
        else if (key == "year")
            f.SetDate(value);
        else if (key == "genre")
            f.SetGenre(value);
        else if (key == "comment")
            f.SetComment(value);
        else if (key == "track")
            f.SetTrack(uint16_t(std::stoul(value)));
        else {
            error = "comments have no " + key + " field here";
            return false;
        }
    }
    return true;
}

// Write and Remove of a reader/writer class with Analyze, Fields, WriteTag, ClearTag.
template <class File>
bool ChangeComments(LockedFile& held, const WriteValues* values, const char* what,
                    std::string& error) {
    File file;
    if (!file.Analyze(held)) {
        error = std::string("not ") + what;
        if (!file.LastError().empty())
            error += " (" + file.LastError() + ")";
        return false;
    }
    if (values && !ApplyValues(file.Fields(), *values, error))
        return false;
    PauseBeforeWrite();
    if (!(values ? file.WriteTag(held) : file.ClearTag(held))) {
        error = file.LastError();
        return false;
    }
    return true;
}

class FlacFormat : public TagFormat {
public:
    bool Handles(const std::filesystem::path& path) const override {
        return SniffContent(path) == ContentKind::Flac;
    }

    bool Show(const std::filesystem::path& path, JsonWriter& json, std::string& report,
              std::string& error) override {
        TFlacFile flac;
        if (!flac.Analyze(path)) {
            error = flac.LastError().empty() ? "cannot read the file" : flac.LastError();
            return false;
        }
        json.BeginObject("flac")
            .Int("channels", flac.Channels())
            .Int("sample_rate", flac.SampleRate())
            .Int("bits_per_sample", flac.BitsPerSample())
            .Int("samples", flac.Samples())
            .Double("duration", flac.Duration())
            .Int("bitrate", flac.BitRate())
            .Int("id3v2_size", flac.Layout().ID3v2Size)
            .Int("blocks", int64_t(flac.Layout().Blocks.size()))
            .EndObject();
        report += "FLAC\n";
        Line(report, "channels", std::to_string(flac.Channels()));
        Line(report, "sample rate", std::to_string(flac.SampleRate()) + " Hz");
        Line(report, "bits per sample", std::to_string(flac.BitsPerSample()));
        Line(report, "duration", std::to_string(flac.Duration()) + " s");
        ShowFields(path, flac.Fields(), flac.Duration(), json, report);
        return true;
    }

    bool Write(LockedFile& file, const WriteValues& values, std::string& error) override {
        return ChangeComments<TFlacFile>(file, &values, "a FLAC file", error);
    }

    bool Remove(LockedFile& file, std::string& error) override {
        return ChangeComments<TFlacFile>(file, nullptr, "a FLAC file", error);
    }
};

class OpusFormat : public TagFormat {
public:
    bool Handles(const std::filesystem::path& path) const override {
        return SniffContent(path) == ContentKind::Opus;
    }

    bool Show(const std::filesystem::path& path, JsonWriter& json, std::string& report,
              std::string& error) override {
        TOpusFile opus;
        if (!opus.Analyze(path)) {
            error = "cannot read the file";
            return false;
        }
        json.BeginObject("opus")
            .Int("channels", opus.Channels())
            .Int("input_sample_rate", opus.InputSampleRate())
            .Int("pre_skip", opus.PreSkip())
            .Int("output_gain", opus.OutputGain())
            .Int("samples", opus.Samples())
            .Double("duration", opus.Duration())
            .Int("bitrate", opus.BitRate())
            .EndObject();
        report += "Opus\n";
        Line(report, "channels", std::to_string(opus.Channels()));
        Line(report, "input sample rate", std::to_string(opus.InputSampleRate()) + " Hz");
        Line(report, "bit rate", std::to_string(opus.BitRate()) + " kbit/s");
        Line(report, "duration", std::to_string(opus.Duration()) + " s");
        ShowFields(path, opus.Fields(), opus.Duration(), json, report);
        return true;
    }

    bool Write(LockedFile& file, const WriteValues& values, std::string& error) override {
        return ChangeComments<TOpusFile>(file, &values, "an Ogg Opus file", error);
    }

    bool Remove(LockedFile& file, std::string& error) override {
        return ChangeComments<TOpusFile>(file, nullptr, "an Ogg Opus file", error);
    }
};

}  // namespace

std::unique_ptr<TagFormat> MakeFlacFormat() {
    return std::make_unique<FlacFormat>();
}

std::unique_ptr<TagFormat> MakeOpusFormat() {
    return std::make_unique<OpusFormat>();
}

}  // namespace tv::tags::tool
