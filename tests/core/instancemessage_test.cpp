#include "core/instancemessage.h"

#include <gtest/gtest.h>

using namespace tv::core;

TEST(InstanceMessage, RoundTripKeepsEveryByteOfEveryName) {
    const std::vector<std::vector<std::string>> lists = {
        {}, {"/m/a.mp3"}, {"/m/line\nbreak.mp3", "/m/ü ñ.ogg", "/m/folder"}};
    for (const auto& names : lists) {
        bool malformed = true;
        EXPECT_EQ(DecodeOpenMessage(EncodeOpenMessage(names), &malformed), names);
        EXPECT_FALSE(malformed);
    }
}

TEST(InstanceMessage, PartialMessagesWaitAndForeignBytesAreRefused) {
    const std::string whole = EncodeOpenMessage({"/m/a.mp3", "/m/b"});
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        bool malformed = true;
        EXPECT_EQ(DecodeOpenMessage(whole.substr(0, cut), &malformed), std::nullopt) << cut;
        EXPECT_FALSE(malformed) << cut;
    }
    const std::string foreign[] = {"GET / HTTP/1.1\r\n", "TORVANELL-OPEN x\n",
                                   "TORVANELL-OPEN -1\n", "TORVANELL-OPEN 999999999\n",
                                   whole + "extra"};
    for (const std::string& bytes : foreign) {
        bool malformed = false;
        EXPECT_EQ(DecodeOpenMessage(bytes, &malformed), std::nullopt) << bytes;
        EXPECT_TRUE(malformed) << bytes;
    }
}

TEST(InstanceMessage, NamesAreResolvedAgainstTheStartingFolder) {
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {{"a.mp3", "/home/u/a.mp3"},
                 {"folder/", "/home/u/folder"},
                 {"./x/../b.ogg", "/home/u/b.ogg"},
                 {"/abs/c.mp3", "/abs/c.mp3"},
                 {"../up/", "/home/up"}};
    for (const auto& c : cases)
        EXPECT_EQ(AbsoluteName(c.name, "/home/u"), c.expected) << c.name;
}

TEST(InstanceMessage, EachSettingsFolderHasItsOwnSocket) {
    const auto a = InstanceSocketPath("/run/user/1", "/opt/tv");
    EXPECT_EQ(a.parent_path(), "/run/user/1");
    EXPECT_EQ(a, InstanceSocketPath("/run/user/1", "/opt/tv/"));
    EXPECT_NE(a, InstanceSocketPath("/run/user/1", "/opt/tv2"));
    EXPECT_TRUE(InstanceSocketPath("", "/opt/tv").empty());
}
