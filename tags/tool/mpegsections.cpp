// The MPEG family of the tag tool: the playlist entry, the stream analysis, ID3v1 with Lyrics3
// and ID3v2.

#include <algorithm>
#include <cstdio>

#include "tags/genres.h"
#include "tags/mpegaudio.h"
#include "tags/saferewrite.h"
#include "tags/textcodec.h"
#include "tags/tool/entrytitle.h"
#include "tags/tool/tagformat.h"
#include "tags/trackinfo.h"

namespace tv::tags::tool {

namespace {

std::string LowerExtension(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

void Line(std::string& report, const char* label, const std::string& value) {
    char head[32];
    std::snprintf(head, sizeof head, "  %-14s", label);
    report += head;
    report += value;
    report += '\n';
}

void ShowEntry(const std::filesystem::path& path, const MpegTrackInfo& info, JsonWriter& json,
               std::string& report) {
    const std::string title =
        BuildEntryTitle(path.filename().string(), info.Artist(), info.Title());
    const std::string duration = FormatDuration(info.Duration);
    json.BeginObject("entry").String("title", title).String("duration", duration).EndObject();
    report += "Playlist entry\n";
    Line(report, "title", title);
    Line(report, "duration", duration);
}

void ShowMpeg(const TMPEGaudio& mpeg, JsonWriter& json, std::string& report) {
    const MpegFrameHeader& f = mpeg.Frame();
    json.BeginObject("mpeg")
        .Bool("valid", mpeg.Valid())
        .String("version", f.VersionText())
        .Int("layer", f.Layer())
        .Int("bitrate", mpeg.BitRate())
        .Int("sample_rate", mpeg.SampleRate())
        .String("channel_mode", mpeg.ChannelMode())
        .Bool("vbr", mpeg.Vbr().Found)
        .String("vbr_id", mpeg.Vbr().Id)
        .Int("frames", mpeg.Vbr().Frames)
        .Double("duration", mpeg.Duration())
        .Int("first_frame", f.Offset)
        .String("vendor", mpeg.VendorID())
        .EndObject();
    report += "MPEG audio\n";
    if (!f.Found) {
        Line(report, "frames", "none found");
        return;
    }
    Line(report, "valid", mpeg.Valid() ? "yes" : "no");
    Line(report, "format",
         std::string("MPEG ") + f.VersionText() + " Layer " + std::to_string(f.Layer()));
    Line(report, "bit rate",
         std::to_string(mpeg.BitRate()) + " kbit/s" +
             (mpeg.Vbr().Found ? " (" + mpeg.Vbr().Id + ")" : ""));
    Line(report, "sample rate", std::to_string(mpeg.SampleRate()) + " Hz");
    Line(report, "channel mode", mpeg.ChannelMode());
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f s", mpeg.Duration());
    Line(report, "duration", seconds);
    Line(report, "first frame", std::to_string(f.Offset));
    if (!mpeg.VendorID().empty())
        Line(report, "encoder", mpeg.VendorID());
}

void ShowID3v1(const TID3v1& tag, JsonWriter& json, std::string& report) {
    const std::string genre(GenreName(tag.GenreIndex()));
    json.BeginObject("id3v1")
        .Bool("exists", tag.Exists())
        .String("version", tag.TagVersion() == 2 ? "1.1" : "1.0")
        .String("title", tag.Title())
        .String("artist", tag.Artist())
        .String("album", tag.Album())
        .String("year", tag.Year())
        .String("comment", tag.Comment())
        .Int("track", tag.Track())
        .Int("genre_index", tag.GenreIndex())
        .String("genre", genre)
        .Bool("lyrics3", tag.HasLyrics3())
        .Int("lyrics3_size", tag.Lyrics3Size())
        .String("author", tag.Author())
        .String("lyrics", tag.Lyrics())
        .EndObject();
    report += "ID3v1\n";
    if (!tag.Exists() && !tag.HasLyrics3()) {
        Line(report, "tag", "none");
        return;
    }
    if (tag.Exists())
        Line(report, "version", tag.TagVersion() == 2 ? "1.1" : "1.0");
    Line(report, "title", tag.Title());
    Line(report, "artist", tag.Artist());
    Line(report, "album", tag.Album());
    Line(report, "year", tag.Year());
    Line(report, "comment", tag.Comment());
    if (tag.Track())
        Line(report, "track", std::to_string(tag.Track()));
    Line(report, "genre", genre.empty() ? std::string("none") : genre);
    if (tag.HasLyrics3()) {
        Line(report, "lyrics3", std::to_string(tag.Lyrics3Size()) + " bytes");
        Line(report, "author", tag.Author());
        Line(report, "lyrics", std::to_string(Utf8Length(tag.Lyrics())) + " characters");
    }
}

void ShowID3v2(const TID3v2& tag, JsonWriter& json, std::string& report) {
    json.BeginObject("id3v2")
        .Bool("exists", tag.Exists())
        .Int("version", tag.Version())
        .Int("size", tag.Size())
        .String("title", tag.Title())
        .String("artist", tag.Artist())
        .String("album", tag.Album())
        .Int("track", tag.Track())
        .String("track_text", tag.TrackText())
        .String("year", tag.Year())
        .String("genre", tag.Genre())
        .String("comment", tag.Comment())
        .String("composer", tag.Composer())
        .String("encoder", tag.Encoder())
        .String("copyright", tag.Copyright())
        .String("language", tag.Language())
        .String("link", tag.Link())
        .String("audio_size", tag.AudioSizeText())
        .EndObject();
    report += "ID3v2\n";
    if (!tag.Exists()) {
        Line(report, "tag", "none");
        return;
    }
    Line(report, "version", "2." + std::to_string(tag.Version()));
    Line(report, "size", std::to_string(tag.Size()) + " bytes");
    const std::pair<const char*, const std::string*> fields[] = {
        {"title", &tag.Title()},
        {"artist", &tag.Artist()},
        {"album", &tag.Album()},
        {"track", &tag.TrackText()},
        {"year", &tag.Year()},
        {"genre", &tag.Genre()},
        {"comment", &tag.Comment()},
        {"composer", &tag.Composer()},
        {"encoder", &tag.Encoder()},
        {"copyright", &tag.Copyright()},
        {"language", &tag.Language()},
        {"link", &tag.Link()},
        {"audio size", &tag.AudioSizeText()},
    };
    for (const auto& [label, value] : fields)
        if (!value->empty())
            Line(report, label, *value);
}

class MpegFormat : public TagFormat {
public:
    bool Handles(const std::filesystem::path&) const override { return true; }

    bool Show(const std::filesystem::path& path, JsonWriter& json, std::string& report,
              std::string& error) override {
        FileStream stream;
        if (!OpenForTagReading(stream, path)) {
            error = "cannot read the file";
            return false;
        }
        TMPEGaudio mpeg;
        TID3v1 v1;
        TID3v2 v2;
        if (!mpeg.Analyze(stream) || !v1.ReadTag(stream) ||
            (stream.Size() >= 10 && !v2.ReadTag(stream))) {
            error = "cannot read the file";
            return false;
        }
        const std::string ext = LowerExtension(path);
        if (ext == ".mp3" || ext == ".mp2")
            ShowEntry(path, ReadMpegTrackInfo(stream), json, report);
        ShowMpeg(mpeg, json, report);
        ShowID3v1(v1, json, report);
        ShowID3v2(v2, json, report);
        return true;
    }

    bool Write(LockedFile& file, const WriteValues& values, std::string& error) override {
        TID3v2 tag;
        TID3v1 v1;
        FileStream stream;
        if (!tag.ReadTag(file) || !stream.OpenDuplicate(file.Descriptor())) {
            error = "cannot read the file";
            return false;
        }
        v1.ReadTag(stream);
        // Start from the file's values: ID3v2 first, ID3v1 where ID3v2 has none.
        if (tag.Title().empty())
            tag.SetTitle(v1.Title());
        if (tag.Artist().empty())
            tag.SetArtist(v1.Artist());
        if (tag.Album().empty())
            tag.SetAlbum(v1.Album());
        if (tag.Year().empty())
            tag.SetYear(v1.Year());
        if (tag.Comment().empty())
            tag.SetComment(v1.Comment());
        if (tag.Track() == 0 && v1.Track() != 0)
            tag.SetTrack(v1.Track());
        if (tag.Genre().empty())
            tag.SetGenre(GenreName(v1.GenreIndex()));

        for (const auto& [key, value] : values) {
            if (key == "title")
                tag.SetTitle(value);
            else if (key == "artist")
                tag.SetArtist(value);
            else if (key == "album")
                tag.SetAlbum(value);
            else if (key == "year")
                tag.SetYear(value);
            else if (key == "genre")
                tag.SetGenre(value);
            else if (key == "comment")
                tag.SetComment(value);
            else if (key == "composer")
                tag.SetComposer(value);
            else if (key == "encoder")
                tag.SetEncoder(value);
            else if (key == "copyright")
                tag.SetCopyright(value);
            else if (key == "language")
                tag.SetLanguage(value);
            else if (key == "link")
                tag.SetLink(value);
            else if (key == "track")
                tag.SetTrack(uint16_t(std::stoul(value)));
        }
        PauseBeforeWrite();
        if (!tag.WriteTag(file)) {
            error = tag.LastError();
            return false;
        }
        return true;
    }

    bool Remove(LockedFile& file, std::string& error) override {
        TID3v2 v2;
        TID3v1 v1;
        FileStream stream;
        if (!v2.ReadTag(file) || !stream.OpenDuplicate(file.Descriptor()) ||
            !v1.ScanTag(stream, false)) {
            error = "cannot read the file";
            return false;
        }
        // Every ID3v2 tag: those at the start and one appended at the end.
        const Internal::ID3v2Extent extent =
            Internal::FindID3v2Tags(stream, stream.Size() - v1.TrailerSize());
        const bool hasID3v2 = v2.Exists() || extent.AppendedStart >= 0;
        PauseBeforeWrite();
        if (hasID3v2 && !v2.RemoveTag(file)) {
            error = v2.LastError();
            return false;
        }
        if (!v1.RemoveTag(file)) {
            error = LastRewriteErrorText();
            return false;
        }
        return true;
    }

private:
    static std::string LastRewriteErrorText() {
        const std::string& e = LastRewriteError();
        return e.empty() ? "cannot remove the ID3v1 tag" : e;
    }
};

}  // namespace

std::unique_ptr<TagFormat> MakeMpegFormat() {
    return std::make_unique<MpegFormat>();
}

}  // namespace tv::tags::tool
