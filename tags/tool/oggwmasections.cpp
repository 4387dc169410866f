// The Ogg Vorbis and WMA formats of the tag tool: their stream figures and texts for "show", and
// comment writing and clearing for Ogg Vorbis.

#include "tags/oggvorbis.h"
#include "tags/textcodec.h"
#include "tags/tool/entrytitle.h"
#include "tags/tool/tagformat.h"
#include "tags/tool/writablekind.h"
#include "tags/wmafile.h"

namespace tv::tags::tool {

namespace {

void Line(std::string& report, const char* label, const std::string& value) {
    if (!value.empty())
        report += std::string("  ") + label + ": " + value + "\n";
}

// The playlist row of the file: the same title rules and duration text the player uses.
void ShowEntry(const std::filesystem::path& path, const std::string& artist,
               const std::string& title, double duration, JsonWriter& json, std::string& report) {
    const std::string text = BuildEntryTitle(path.filename().string(), Trim(artist), Trim(title));
    const std::string time = FormatDuration(duration);
    json.BeginObject("entry").String("title", text).String("duration", time).EndObject();
    report += "Playlist entry\n";
    Line(report, "title", text);
    Line(report, "duration", time);
}

class OggFormat : public TagFormat {
public:
    bool Handles(const std::filesystem::path& path) const override {
        const ContentKind kind = SniffContent(path);
        return kind == ContentKind::OggVorbis || kind == ContentKind::OtherOgg;
    }

    bool Show(const std::filesystem::path& path, JsonWriter& json, std::string& report,
              std::string& error) override {
        if (!std::filesystem::is_regular_file(path)) {
            error = "cannot read the file";
            return false;
        }
        TOggVorbis ogg;
        ogg.Analyze(path);  // a file that is not Ogg Vorbis shows as invalid and empty
        ShowEntry(path, ogg.Artist(), ogg.Title(), ogg.Duration(), json, report);
        json.BeginObject("ogg")
            .Bool("valid", ogg.Valid())
            .Int("channels", ogg.Channels())
            .String("channel_mode", ogg.ChannelMode())
            .Int("sample_rate", ogg.SampleRate())
            .Int("bitrate_nominal", ogg.BitRateNominal())
            .Int("bitrate", ogg.BitRate())
            .Int("samples", ogg.Samples())
            .Double("duration", ogg.Duration())
            .Int("id3v2_size", ogg.ID3v2Size())
            .String("title", ogg.Title())
            .String("artist", ogg.Artist())
            .String("album", ogg.Album())
            .Int("track", ogg.Track())
            .String("date", ogg.Date())
            .String("genre", ogg.Genre())
            .String("comment", ogg.Comment())
            .String("vendor", ogg.Vendor())
            .EndObject();
        report += "Ogg Vorbis" + std::string(ogg.Valid() ? "" : " (not valid)") + "\n";
        Line(report, "channels", ogg.ChannelMode());
        Line(report, "sample rate", std::to_string(ogg.SampleRate()) + " Hz");
        Line(report, "bit rate", std::to_string(ogg.BitRate()) + " kbit/s");
        Line(report, "duration", std::to_string(ogg.Duration()) + " s");
        Line(report, "title", ogg.Title());
        Line(report, "artist", ogg.Artist());
        Line(report, "album", ogg.Album());
        Line(report, "track", ogg.Track() ? std::to_string(ogg.Track()) : "");
        Line(report, "date", ogg.Date());
        Line(report, "genre", ogg.Genre());
        Line(report, "comment", ogg.Comment());
        Line(report, "vendor", ogg.Vendor());
        return true;
    }

    bool Write(LockedFile& file, const WriteValues& values, std::string& error) override {
        TOggVorbis ogg;
        if (!ogg.Analyze(file)) {
            error = "not an Ogg Vorbis file";
            return false;
        }
        for (const auto& [key, value] : values) {
            if (key == "title")
                ogg.SetTitle(value);
            else if (key == "artist")
                ogg.SetArtist(value);
            else if (key == "album")
                ogg.SetAlbum(value);
            else if (key == "year")
                ogg.SetDate(value);
            else if (key == "genre")
                ogg.SetGenre(value);
            else if (key == "comment")
                ogg.SetComment(value);
            else if (key == "track")
                ogg.SetTrack(uint16_t(std::stoul(value)));
            else {
                error = "Ogg Vorbis comments have no " + key + " field here";
                return false;
            }
        }
        PauseBeforeWrite();
        if (!ogg.WriteTag(file)) {
            error = ogg.LastError();
            return false;
        }
        return true;
    }

    bool Remove(LockedFile& file, std::string& error) override {
        TOggVorbis ogg;
        if (!ogg.Analyze(file)) {
            error = "not an Ogg Vorbis file";
            return false;
        }
        PauseBeforeWrite();
        if (!ogg.ClearTag(file)) {
            error = ogg.LastError();
            return false;
        }
        return true;
    }
};

class WmaFormat : public TagFormat {
public:
    bool Handles(const std::filesystem::path& path) const override {
        return SniffContent(path) == ContentKind::Asf;
    }

    bool Show(const std::filesystem::path& path, JsonWriter& json, std::string& report,
              std::string& error) override {
        TWMAfile wma;
        if (!std::filesystem::is_regular_file(path) || !wma.Analyze(path)) {
            error = "cannot read the file";
            return false;
        }
        ShowEntry(path, wma.Artist(), wma.Title(), wma.Duration(), json, report);
        json.BeginObject("wma")
            .Bool("valid", wma.Valid())
            .Int("channels", wma.Channels())
            .Int("sample_rate", wma.SampleRate())
            .Double("duration", wma.Duration())
            .Int("bitrate", wma.BitRate())
            .String("title", wma.Title())
            .String("artist", wma.Artist())
            .String("album", wma.Album())
            .String("year", wma.Year())
            .String("genre", wma.Genre())
            .String("comment", wma.Comment())
            .Int("track", wma.Track())
            .EndObject();
        report += "WMA" + std::string(wma.Valid() ? "" : " (not valid)") + "\n";
        Line(report, "channels", std::to_string(wma.Channels()));
        Line(report, "sample rate", std::to_string(wma.SampleRate()) + " Hz");
        Line(report, "bit rate", std::to_string(wma.BitRate()) + " kbit/s");
        Line(report, "duration", std::to_string(wma.Duration()) + " s");
        Line(report, "title", wma.Title());
        Line(report, "artist", wma.Artist());
        Line(report, "album", wma.Album());
        Line(report, "year", wma.Year());
        Line(report, "genre", wma.Genre());
        Line(report, "comment", wma.Comment());
        Line(report, "track", wma.Track() ? std::to_string(wma.Track()) : "");
        return true;
    }

    bool Write(LockedFile&, const WriteValues&, std::string& error) override {
        error = "WMA tags cannot be written";
        return false;
    }

    bool Remove(LockedFile&, std::string& error) override {
        error = "WMA tags cannot be removed";
        return false;
    }
};

}  // namespace

std::unique_ptr<TagFormat> MakeOggFormat() {
    return std::make_unique<OggFormat>();
}

std::unique_ptr<TagFormat> MakeWmaFormat() {
    return std::make_unique<WmaFormat>();
}

}  // namespace tv::tags::tool
