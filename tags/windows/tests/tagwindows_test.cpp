// The information windows with real widgets over real files copied to a temporary folder.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tags/id3v2.h"
#include "tags/oggvorbis.h"
#include "tags/windows/tfrmimpeg.h"
#include "tags/windows/tfrmmp3tag.h"
#include "tags/windows/tfrmoggtag.h"
#include "tests/fakes/casename.h"

namespace tv::tags::windows {
namespace {

namespace fs = std::filesystem;
using Bytes = std::string;

Bytes ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A version 1.1 tag: 30-byte texts, track byte, genre byte.
Bytes ID3v1Tag(const std::string& title, const std::string& artist, uint8_t track, uint8_t genre) {
    Bytes tag(128, '\0');
    tag.replace(0, 3, "TAG");
    tag.replace(3, title.size(), title);
    tag.replace(33, artist.size(), artist);
    tag.replace(63, 5, "Album");
    tag.replace(93, 4, "1999");
    tag.replace(97, 7, "Comment");
    tag[126] = char(track);
    tag[127] = char(genre);
    return tag;
}

// Runs a command and returns what it printed (both streams) and its status.
std::pair<int, std::string> RunCommand(const std::string& command) {
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    std::string out;
    char buf[4096];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
        out.append(buf, n);
    return {::pclose(pipe), out};
}

std::string FfprobeTag(const fs::path& file, const std::string& key) {
    return RunCommand("ffprobe -v error -show_entries format_tags=" + key + ":stream_tags=" + key +
                      " -of default=nw=1:nk=1 '" + file.string() + "'")
        .second;
}

class TagWindowTest : public ::testing::Test {
protected:
    // The MPEG fixture without its ID3v2 tag: bare frames, to which a case adds what it needs.
    Bytes BareMpeg() const {
        const Bytes all = ReadBytes(fs::path(TV_TEST_DATA_DIR) / "tone-1k.mp3");
        const auto size = [&](int i) { return int(uint8_t(all[size_t(i)])); };
        const size_t tagSize = 10 + (size(6) << 21 | size(7) << 14 | size(8) << 7 | size(9));
        return all.substr(tagSize);
    }
    fs::path Put(const std::string& name, const Bytes& bytes) const {
        const fs::path path = fs::path(dir.path().toStdString()) / name;
        WriteBytes(path, bytes);
        return path;
    }
    fs::path CopyFixture(const std::string& name) const {
        return Put(name, ReadBytes(fs::path(TV_TEST_DATA_DIR) / name));
    }
    // Opens `window` on `path` the way F2 does.
    void Open(TagWindow& window, const fs::path& path) {
        window.onWarning = [this](const std::string& text) { warnings.push_back(text); };
        window.onSave = [this](const std::function<bool()>& write) {
            const bool written = write();
            mltRuns += written ? 1 : 0;  // the model rebuilds the row only after a write
            return written;
        };
        window.SetPath(path.string());
        window.ReadTags();
        window.show();
    }

    QTemporaryDir dir;
    std::vector<std::string> warnings;
    int mltRuns = 0;
};

TEST_F(TagWindowTest, ID3v1OnlyFileShowsItsValuesAndSaveMakesThemAnID3v2Tag) {
    const fs::path file = Put("v1.mp3", BareMpeg() + ID3v1Tag("Old Title", "Old Artist", 5, 17));
    TfrmMP3Tag window;
    Open(window, file);
    EXPECT_EQ(window.TagExistsValue1->text(), "Yes");
    EXPECT_EQ(window.TagVersionValue1->text(), "1.1");
    EXPECT_TRUE(window.TagExistsValue2->text().isEmpty());
    EXPECT_EQ(window.TitleEdit2->text(), "Old Title");
    EXPECT_EQ(window.ArtistEdit2->text(), "Old Artist");
    EXPECT_EQ(window.TrackEdit2->text(), "5");
    EXPECT_EQ(window.GenreEdit2->text(), "Rock");
    EXPECT_EQ(window.YearEdit2->text(), "1999");

    window.SaveButton2->click();
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(mltRuns, 1);
    TID3v2 tag;
    ASSERT_TRUE(tag.ReadTag(file));
    ASSERT_TRUE(tag.Exists());
    EXPECT_EQ(tag.Title(), "Old Title");
    EXPECT_EQ(tag.Artist(), "Old Artist");
    EXPECT_EQ(tag.Track(), 5);
    EXPECT_EQ(tag.Genre(), "Rock");
    EXPECT_EQ(FfprobeTag(file, "title"), "Old Title\n");
    EXPECT_EQ(FfprobeTag(file, "artist"), "Old Artist\n");
}

TEST_F(TagWindowTest, GenreNoneLeavesEntryZeroAndAnEmptyGenre) {
    TfrmMP3Tag window;
    ASSERT_EQ(window.GenreComboBox1->count(), 149);
    EXPECT_EQ(window.GenreComboBox1->itemText(1), "Blues");
    Open(window, Put("g.mp3", BareMpeg() + ID3v1Tag("T", "A", 0, 255)));
    EXPECT_EQ(window.GenreComboBox1->currentIndex(), 0);
    EXPECT_TRUE(window.GenreEdit2->text().isEmpty());
    EXPECT_EQ(window.TrackEdit1->text(), "0");
}

struct TrackCase {
    QString box;
    uint16_t saved;
};

class TrackBox : public TagWindowTest, public ::testing::WithParamInterface<TrackCase> {};

TEST_P(TrackBox, OnlyAPositiveNumberIsSavedAsTrack) {
    const fs::path file = Put("t.mp3", BareMpeg());
    TfrmMP3Tag window;
    Open(window, file);
    window.TitleEdit2->setText(QStringLiteral("  Padded  "));
    window.TrackEdit2->setText(GetParam().box);
    window.SaveButton2->click();
    TID3v2 tag;
    ASSERT_TRUE(tag.ReadTag(file));
    EXPECT_EQ(tag.Track(), GetParam().saved);
    EXPECT_EQ(tag.Title(), "Padded");  // the setters trim
}

INSTANTIATE_TEST_SUITE_P(Boxes, TrackBox,
                         ::testing::Values(TrackCase{"7", 7}, TrackCase{"abc", 0},
                                           TrackCase{"0", 0}, TrackCase{"", 0}, TrackCase{"-3", 0},
                                           TrackCase{"70000", 0}),
                         [](const auto& info) {
                             return std::to_string(info.index) + "_" +
                                    tv::cases::CaseName(info.param.box.toStdString());
                         });

// Remove without an ID3v2 tag does nothing at all, not even to an ID3v1 tag.
TEST_F(TagWindowTest, RemoveWithoutID3v2LeavesTheFileByteIdentical) {
    for (const Bytes& bytes : {BareMpeg(), BareMpeg() + ID3v1Tag("T", "A", 1, 2)}) {
        const fs::path file = Put("r.mp3", bytes);
        TfrmMP3Tag window;
        Open(window, file);
        window.RemoveButton2->click();
        EXPECT_EQ(ReadBytes(file), bytes);
        EXPECT_TRUE(warnings.empty());
    }
}

TEST_F(TagWindowTest, RemoveTakesBothTagsAndEmptiesTheBoxes) {
    const Bytes bare = BareMpeg();
    const fs::path file = CopyFixture("tone-1k.mp3");
    WriteBytes(file, ReadBytes(file) + ID3v1Tag("T", "A", 1, 2));
    TfrmMP3Tag window;
    Open(window, file);
    window.TitleEdit2->setText(QStringLiteral("x"));
    window.RemoveButton2->click();
    EXPECT_EQ(ReadBytes(file), bare);
    EXPECT_TRUE(window.TitleEdit2->text().isEmpty());
    EXPECT_EQ(mltRuns, 1);
}

struct FailureCase {
    bool ogg;
    bool remove;
    bool vanish;  // else read-only
    const char* reason;
};

class FailedWrite : public TagWindowTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailedWrite, WarnsKeepsTheWindowAndTheEditsAndLeavesTheFile) {
    const FailureCase& c = GetParam();
    const fs::path file = c.ogg ? CopyFixture("tone-1k.ogg") : CopyFixture("tone-1k.mp3");
    const Bytes before = ReadBytes(file);
    TfrmMP3Tag mp3;
    TfrmOGGTag ogg;
    TagWindow& window = c.ogg ? static_cast<TagWindow&>(ogg) : mp3;
    Open(window, file);
    QLineEdit* title = c.ogg ? ogg.EditTitle : mp3.TitleEdit2;
    title->setText(QStringLiteral("Edited"));
    if (c.vanish)
        fs::remove(file);
    else
        ::chmod(file.c_str(), 0444);
    QPushButton* button = c.ogg ? (c.remove ? ogg.ButtonClearTag : ogg.ButtonSaveTag)
                                : (c.remove ? mp3.RemoveButton2 : mp3.SaveButton2);
    button->click();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find(file.string()), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find(c.reason), std::string::npos) << warnings[0];
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(title->text(), "Edited");
    EXPECT_EQ(mltRuns, 0);
    if (!c.vanish) {
        EXPECT_EQ(ReadBytes(file), before);
    }
    EXPECT_EQ(fs::exists(file), !c.vanish);
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), c.vanish ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, FailedWrite,
                         ::testing::Values(FailureCase{false, false, false, "read-only"},
                                           FailureCase{false, true, false, "read-only"},
                                           FailureCase{false, false, true, "no longer exists"},
                                           FailureCase{false, true, true, "no longer exists"},
                                           FailureCase{true, false, false, "read-only"},
                                           FailureCase{true, true, false, "read-only"},
                                           FailureCase{true, false, true, "no longer exists"}),
                         [](const auto& info) {
                             const FailureCase& c = info.param;
                             return std::string(c.ogg ? "Ogg" : "Mp3") +
                                    (c.remove ? "Remove" : "Save") +
                                    (c.vanish ? "Vanished" : "ReadOnly");
                         });

TEST_F(TagWindowTest, OggWindowRoundTripsEveryFieldAndTheFileStillDecodes) {
    const fs::path file = CopyFixture("tone-1k.ogg");
    TfrmOGGTag window;
    Open(window, file);
    EXPECT_EQ(window.EditValidHeader->text(), "Yes");
    EXPECT_EQ(window.EditSampleRate->text(), "44100 hz");
    EXPECT_TRUE(window.EditDuration->text().endsWith(" sec."));
    EXPECT_TRUE(window.EditBitRate->text().contains(" kbps, nominal "));
    const std::pair<QLineEdit*, QString> fields[] = {
        {window.EditTitle, "Título ☃"},
        {window.EditArtist, "Artist"},
        {window.EditAlbum, "Album"},
        {window.EditTrack, "12"},
        {window.EditDate, "2024"},
        {window.EditGenre, "Jazz"},
        {window.EditComment, "A comment that is a bit longer than the others"}};
    for (const auto& [box, text] : fields)
        box->setText(text);
    window.ButtonSaveTag->click();
    ASSERT_TRUE(warnings.empty()) << warnings[0];
    window.ReadTags();
    for (const auto& [box, text] : fields)
        EXPECT_EQ(box->text(), text);
    const auto [status, out] = RunCommand("ffmpeg -v error -i '" + file.string() + "' -f null -");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(FfprobeTag(file, "title"), "Título ☃\n");

    window.ButtonClearTag->click();
    EXPECT_TRUE(window.EditTitle->text().isEmpty());
    TOggVorbis cleared;
    ASSERT_TRUE(cleared.Analyze(file));
    EXPECT_TRUE(cleared.Title().empty());
    EXPECT_EQ(mltRuns, 2);
}

TEST_F(TagWindowTest, OggValidHeaderNamesAnID3v2InFront) {
    const Bytes id3 = Bytes("ID3\x03\x00\x00\x00\x00\x00\x0A", 10) + Bytes(10, '\0');
    const fs::path file =
        Put("id3.ogg", id3 + ReadBytes(fs::path(TV_TEST_DATA_DIR) / "tone-1k.ogg"));
    TfrmOGGTag window;
    Open(window, file);
    EXPECT_EQ(window.EditValidHeader->text(), "Yes, ID3v2");
}

TEST_F(TagWindowTest, ShowingOneTagWindowClosesTheOther) {
    TfrmMP3Tag mp3;
    TfrmOGGTag ogg;
    mp3.SetOtherWindow(&ogg);
    ogg.SetOtherWindow(&mp3);
    Open(ogg, CopyFixture("tone-1k.ogg"));
    Open(mp3, CopyFixture("tone-1k.mp3"));
    EXPECT_FALSE(ogg.isVisible());
    Open(ogg, CopyFixture("tone-1k.ogg"));
    EXPECT_FALSE(mp3.isVisible());
    EXPECT_EQ(ogg.size(), QSize(361, 345));
}

struct RateCase {
    int bitRate, sampleRate;
    QLocale::Language language;
    QString caption;
};

class BitRateLabel : public ::testing::TestWithParam<RateCase> {};

TEST_P(BitRateLabel, SampleRateInKilohertzInItsShortestForm) {
    const RateCase& c = GetParam();
    EXPECT_EQ(BitRateCaption(c.bitRate, c.sampleRate, QLocale(c.language)), c.caption);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, BitRateLabel,
    ::testing::Values(RateCase{128, 44100, QLocale::English, "128 kb/s 44.1 khz"},
                      RateCase{128, 48000, QLocale::English, "128 kb/s 48 khz"},
                      RateCase{64, 22050, QLocale::English, "64 kb/s 22.05 khz"},
                      RateCase{128, 44100, QLocale::German, "128 kb/s 44,1 khz"},
                      RateCase{320, 48000, QLocale::German, "320 kb/s 48 khz"}),
    tv::cases::NumberedNameFrom(&RateCase::bitRate));

TEST(MpegWindow, Button1FillsTheMainLabelsFromTheFileThatStarts) {
    QLabel bitRate, channelMode;
    TfrmiMpeg window;
    window.onStreamProperties = [&](const StreamProperties& shown) {
        bitRate.setText(shown.bitRate);
        bitRate.setToolTip(shown.bitRateHint);
        channelMode.setText(shown.channelMode);
    };
    std::string path = std::string(TV_TEST_DATA_DIR) + "/tone-1k.mp3";
    window.selectedPath = [&] { return path; };
    window.Button1->click();
    EXPECT_EQ(bitRate.text(), BitRateCaption(64, 44100, QLocale()));
    EXPECT_EQ(bitRate.toolTip(),
              "Bit rate: CBR 64 kbit/s\nSample rate: 44100 hz\nChannel mode: Stereo");
    EXPECT_EQ(channelMode.text(), "Stereo");
    EXPECT_FALSE(window.isVisible());

    bitRate.clear();
    for (const char* other : {"/tone-1k.flac", "/missing.mp3", ""}) {
        path = other[0] ? std::string(TV_TEST_DATA_DIR) + other : "";
        window.Button1->click();
        EXPECT_TRUE(bitRate.text().isEmpty()) << other;
    }
}

TEST(DurationBox, ThreeDecimalsWithoutALeadingZero) {
    EXPECT_EQ(DurationBoxText(0.5, "."), ".500");
    EXPECT_EQ(DurationBoxText(12.3456, ","), "12,346");
    EXPECT_EQ(DurationBoxText(0, "."), ".000");
}

}  // namespace
}  // namespace tv::tags::windows
