#include <gtest/gtest.h>

#include <cstdlib>

#include "tagfixtures.h"
#include "tags/textcodec.h"
#include "tags/wmafile.h"

namespace tv::tags::test {
namespace {

Bytes LE(uint64_t v, int n) {
    Bytes b;
    for (int i = 0; i < n; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
    return b;
}

Bytes Guid(const WmaGuid& g) {
    return Bytes(g.begin(), g.end());
}

Bytes Object(const WmaGuid& guid, const Bytes& body) {
    return Guid(guid) + LE(24 + body.size(), 8) + body;
}

Bytes Utf16(std::string_view utf8) {
    const std::string s = Utf8ToUtf16LE(utf8);
    return Bytes(s.begin(), s.end());
}

Bytes FileProperties(uint32_t maxBitRate) {
    return Object(kWmaFilePropertiesObject, Bytes(76, 0) + LE(maxBitRate, 4));
}

Bytes StreamProperties(uint16_t channels, uint32_t rate, uint32_t byteRate) {
    return Object(kWmaStreamPropertiesObject, Bytes(54, 0) + LE(0x161, 2) + LE(channels, 2) +
                                                  LE(rate, 4) + LE(byteRate, 4) + Bytes(8, 0));
}

// Texts with a terminating zero, as writers store them.
Bytes ContentDescription(const std::vector<Bytes>& texts) {
    Bytes lengths, data;
    for (const Bytes& t : texts) {
        lengths = lengths + LE(t.size(), 2);
        data = data + t;
    }
    return Object(kWmaContentDescriptionObject, lengths + data);
}

struct Descriptor {
    std::string name;
    uint16_t type;
    Bytes value;
};

Bytes ExtendedContent(const std::vector<Descriptor>& descriptors) {
    Bytes body = LE(descriptors.size(), 2);
    for (const auto& d : descriptors) {
        const Bytes name = Utf16(d.name) + Bytes{0, 0};
        body = body + LE(name.size(), 2) + name + LE(d.type, 2) + LE(d.value.size(), 2) + d.value;
    }
    return Object(kWmaExtendedContentDescriptionObject, body);
}

Bytes Asf(const std::vector<Bytes>& objects, size_t padding = 1000) {
    Bytes body;
    for (const Bytes& o : objects)
        body = body + o;
    return Guid(kWmaHeaderObject) + LE(30 + body.size(), 8) + LE(objects.size(), 4) + Bytes{1, 2} +
           body + Bytes(padding, 0);
}

TWMAfile AnalyzeBytes(const Bytes& file) {
    MemoryStream stream(file);
    TWMAfile wma;
    EXPECT_TRUE(wma.Analyze(stream));
    return wma;
}

TEST(WmaFile, ContentDescriptionTextsAndTheLongOneCut) {
    const std::string longTitle(300, 'T');  // 600 bytes in UTF-16
    const TWMAfile wma = AnalyzeBytes(Asf(
        {FileProperties(128000), StreamProperties(2, 44100, 16000),
         ContentDescription({Utf16(longTitle), Utf16(" Art\xC3\xAFst ") + Bytes{0, 0},
                             Utf16("(c)") + Bytes{0, 0}, Utf16("Desc") + Bytes{0, 0}, Bytes{}})}));
    ASSERT_TRUE(wma.Valid());
    EXPECT_EQ(wma.Title(), std::string(250, 'T'));
    EXPECT_EQ(wma.Artist(), "Art\xC3\xAFst");
    EXPECT_EQ(wma.Comment(), "Desc");
    EXPECT_EQ(wma.Channels(), 2);
    EXPECT_EQ(wma.SampleRate(), 44100);
    EXPECT_EQ(wma.BitRate(), 128);
}

TEST(WmaFile, ExtendedDescriptorsCaseAndNonTextValues) {
    const TWMAfile wma = AnalyzeBytes(
        Asf({StreamProperties(2, 44100, 16000),
             ExtendedContent({{"wm/AlbumTitle", 0, Utf16("Album") + Bytes{0, 0}},
                              {"WM/TRACK", 3, LE(7, 4)},  // a number: not a text, skipped
                              {"WM/Year", 0, Utf16("1999") + Bytes{0, 0}},
                              {"WM/Genre", 0, Utf16("Rock") + Bytes{0, 0}},
                              {"WM/Genre", 0, Utf16("Pop") + Bytes{0, 0}},
                              {"Other", 0, Utf16("x") + Bytes{0, 0}}}),
             FileProperties(64000)}));
    ASSERT_TRUE(wma.Valid());
    EXPECT_EQ(wma.Album(), "Album");
    EXPECT_EQ(wma.Track(), 0);
    EXPECT_EQ(wma.Year(), "1999");
    EXPECT_EQ(wma.Genre(), "Pop");  // a later descriptor replaces an earlier one

    const TWMAfile textTrack =
        AnalyzeBytes(Asf({FileProperties(64000), StreamProperties(1, 22050, 8000),
                          ExtendedContent({{"WM/Track", 0, Utf16(" 12 ") + Bytes{0, 0}}})}));
    EXPECT_EQ(textTrack.Track(), 12);
}

TEST(WmaFile, Plausibility) {
    struct Case {
        uint32_t maxBitRate;
        uint16_t channels;
        uint32_t rate, byteRate;
        bool valid;
    };
    for (const Case& c : std::vector<Case>{{64000, 1, 22050, 8000, true},
                                           {64000, 6, 44100, 8000, false},
                                           {320000, 2, 44100, 8000, false},
                                           {64000, 2, 7999, 8000, false},
                                           {64000, 2, 96000, 39999, true},
                                           {64000, 2, 44100, 40000, false},
                                           {0, 2, 44100, 8000, false}}) {
        const TWMAfile wma = AnalyzeBytes(
            Asf({FileProperties(c.maxBitRate), StreamProperties(c.channels, c.rate, c.byteRate),
                 ContentDescription({Utf16("t")})}));
        EXPECT_EQ(wma.Valid(), c.valid) << c.channels << " " << c.rate;
        if (!c.valid) {
            EXPECT_EQ(wma.Title(), "");
        }
    }
}

// A stream that claims a size beyond what is held, to check the play time of large files.
class BigStream : public ByteStream {
public:
    BigStream(Bytes head, int64_t size) : m_head(std::move(head)), m_size(size) {}
    int64_t Size() const override { return m_size; }
    int64_t ReadAt(int64_t offset, void* buffer, int64_t count) override {
        MemoryStream s(m_head);
        return s.ReadAt(offset, buffer, count);
    }

private:
    Bytes m_head;
    int64_t m_size;
};

TEST(WmaFile, DurationWithoutOverflowForLargeFiles) {
    const int64_t size = int64_t(3) << 30;  // 3 GiB
    BigStream stream(Asf({FileProperties(128000), StreamProperties(2, 44100, 16000)}), size);
    TWMAfile wma;
    ASSERT_TRUE(wma.Analyze(stream));
    EXPECT_DOUBLE_EQ(wma.Duration(), double(size) * 8 / 128000);
}

TEST(WmaFile, DamagedOrForeignData) {
    // Not ASF at all: true, nothing set.
    TWMAfile wma = AnalyzeBytes(B("RIFF0000WAVEfmt ") + Bytes(100, 0));
    EXPECT_FALSE(wma.Valid());
    // A header cut off in its objects, and an object of size 0: read errors.
    Bytes cut = Asf({FileProperties(64000), StreamProperties(2, 44100, 8000)}, 0);
    cut.resize(cut.size() - 10);
    Bytes zero = Guid(kWmaHeaderObject) + LE(100, 8) + LE(2, 4) + Bytes{1, 2} +
                 Guid(kWmaFilePropertiesObject) + LE(0, 8) + Bytes(200, 0);
    for (const Bytes& bad : {cut, zero}) {
        MemoryStream stream(bad);
        EXPECT_FALSE(wma.Analyze(stream));
        EXPECT_FALSE(wma.Valid());
    }
    EXPECT_FALSE(wma.Analyze(std::filesystem::path("/nonexistent/x.wma")));
}

TEST(WmaFile, EncodedFileIsRead) {
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0)
        GTEST_FAIL() << "ffmpeg is not installed; the test makes its fixtures with it "
                        "(scripts/install-deps.sh installs it)";
    TempDir dir;
    const auto file = dir.Path() / "tone.wma";
    const std::string command =
        "ffmpeg -nostdin -v error -f lavfi -i sine=duration=2:sample_rate=22050 -ac 1 -c:a wmav2 "
        "-b:a 32k -metadata title=Tone -metadata artist=Someone -metadata album=Disc '" +
        file.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    TWMAfile wma;
    ASSERT_TRUE(wma.Analyze(file));
    ASSERT_TRUE(wma.Valid());
    EXPECT_EQ(wma.Title(), "Tone");
    EXPECT_EQ(wma.Artist(), "Someone");
    EXPECT_EQ(wma.Album(), "Disc");
    EXPECT_EQ(wma.Channels(), 1);
    EXPECT_EQ(wma.SampleRate(), 22050);
    EXPECT_GT(wma.Duration(), 1.0);
}

}  // namespace
}  // namespace tv::tags::test
