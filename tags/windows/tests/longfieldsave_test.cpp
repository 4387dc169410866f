// A save from an information window used to write the boxes' texts, which hold at most 250
// characters, over fields far longer than that: a title change cut the album, artist or
// comment. Every field the user did not edit must come back byte for byte.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "tags/bytestream.h"
#include "tags/id3v2.h"
#include "tags/oggpage.h"
#include "tags/oggvorbis.h"
#include "tags/windows/tfrmmp3tag.h"
#include "tags/windows/tfrmoggtag.h"

namespace tv::tags::windows {
namespace {

namespace fs = std::filesystem;
using Fields = std::map<std::string, std::string>;  // name -> whole value as stored

std::string Letters(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += char('a' + i % 26);
    return s;
}

uint32_t Le32(const std::vector<uint8_t>& p, size_t at) {
    return uint32_t(p[at]) | uint32_t(p[at + 1]) << 8 | uint32_t(p[at + 2]) << 16 |
           uint32_t(p[at + 3]) << 24;
}

// Every comment item of an Ogg file's comment packet, put together from all its pages.
Fields OggFields(const fs::path& file) {
    FileStream stream;
    EXPECT_TRUE(stream.Open(file));
    const auto headers = ReadOggHeaderPackets(stream, 0, 2, size_t(64) << 20);
    if (headers.Packets.size() < 2)
        return {};
    const std::vector<uint8_t>& p = headers.Packets[1];
    size_t at = 7;  // packet type and "vorbis"
    Fields fields;
    fields["(vendor)"] = std::string(p.begin() + at + 4, p.begin() + at + 4 + Le32(p, at));
    at += 4 + Le32(p, at);
    const uint32_t count = Le32(p, at);
    at += 4;
    for (uint32_t i = 0; i < count; ++i) {
        const std::string item(p.begin() + at + 4, p.begin() + at + 4 + Le32(p, at));
        at += 4 + item.size();
        fields[item.substr(0, item.find('='))] = item.substr(item.find('=') + 1);
    }
    return fields;
}

// Every frame of an ID3v2 tag with its whole data.
Fields ID3v2Fields(const fs::path& file) {
    FileStream stream;
    EXPECT_TRUE(stream.Open(file));
    ID3v2Header header{};
    EXPECT_TRUE(stream.ReadExact(0, &header, sizeof header));
    Fields fields;
    Internal::WalkID3v2Frames(stream, header, Internal::TagTotalSize(header, stream.Size()),
                              SIZE_MAX, [&](Internal::ID3v2Frame& f) {
                                  fields[f.Id] = std::string(f.Data.begin(), f.Data.end());
                                  return true;
                              });
    return fields;
}

struct LongFieldCase {
    const char* name;
    bool ogg;
    const char* field;  // Ogg: ALBUM or COMMENT; ID3v2: artist or comment
    size_t length;
    const char* titleKey;  // where the new title is stored
};

void PrintTo(const LongFieldCase& c, std::ostream* os) {
    *os << c.name;
}

class LongFieldCutOnWindowSave : public testing::TestWithParam<LongFieldCase> {};

TEST_P(LongFieldCutOnWindowSave, TitleChangeKeepsEveryOtherFieldWhole) {
    const LongFieldCase& c = GetParam();
    QTemporaryDir dir;
    const fs::path file = fs::path(dir.path().toStdString()) / (c.ogg ? "long.ogg" : "long.mp3");
    fs::copy_file(fs::path(TV_TEST_DATA_DIR) / (c.ogg ? "tone-1k.ogg" : "tone-1k.mp3"), file);
    const std::string value = Letters(c.length);
    const std::string field = c.field;
    if (c.ogg) {
        TOggVorbis ogg;
        ASSERT_TRUE(ogg.Analyze(file));
        ogg.SetTitle("Old");
        ogg.SetArtist("Someone");
        ogg.SetTrack(7);
        field == "ALBUM" ? ogg.SetAlbum(value) : ogg.SetComment(value);
        ASSERT_TRUE(ogg.WriteTag(file));
    } else {
        TID3v2 tag;
        ASSERT_TRUE(tag.ReadTag(file));
        tag.SetTitle("Old");
        tag.SetAlbum("Some album");
        tag.SetTrack(7);
        field == "artist" ? tag.SetArtist(value) : tag.SetComment(value);
        ASSERT_TRUE(tag.WriteTag(file));
    }
    const Fields before = c.ogg ? OggFields(file) : ID3v2Fields(file);
    size_t longest = 0;
    for (const auto& [name, stored] : before)
        longest = std::max(longest, stored.size());
    ASSERT_GE(longest, c.length) << "the fixture lacks its long field";

    TfrmOGGTag oggWindow;
    TfrmMP3Tag mp3Window;
    TagWindow& window = c.ogg ? static_cast<TagWindow&>(oggWindow) : mp3Window;
    std::vector<std::string> warnings;
    window.onWarning = [&](const std::string& text) { warnings.push_back(text); };
    window.SetPath(file.string());
    window.ReadTags();
    window.show();
    QLineEdit* title = c.ogg ? oggWindow.EditTitle : mp3Window.TitleEdit2;
    title->selectAll();
    title->insert(QStringLiteral("New"));
    (c.ogg ? oggWindow.ButtonSaveTag : mp3Window.SaveButton2)->click();
    ASSERT_TRUE(warnings.empty()) << warnings.front();

    Fields after = c.ogg ? OggFields(file) : ID3v2Fields(file);
    const std::string stored = after[c.titleKey];
    EXPECT_EQ(c.ogg ? stored : Internal::DecodeFrameText({stored.begin(), stored.end()}), "New");
    after.erase(c.titleKey);
    Fields expected = before;
    expected.erase(c.titleKey);
    ASSERT_EQ(after.size(), expected.size());
    for (const auto& [name, whole] : expected)
        EXPECT_TRUE(after[name] == whole)
            << name << ": " << whole.size() << " bytes became " << after[name].size();
}

INSTANTIATE_TEST_SUITE_P(
    Fields, LongFieldCutOnWindowSave,
    testing::Values(LongFieldCase{"ogg_album_600", true, "ALBUM", 600, "TITLE"},
                    LongFieldCase{"ogg_comment_200000", true, "COMMENT", 200000, "TITLE"},
                    LongFieldCase{"id3v2_artist_1000", false, "artist", 1000, "TIT2"},
                    LongFieldCase{"id3v2_comment_5000", false, "comment", 5000, "TIT2"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tv::tags::windows
