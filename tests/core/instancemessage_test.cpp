#include "core/instancemessage.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

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

TEST(InstanceMessage, SocketFolderCheckRefusesLinksOtherOwnersAndSharedWriting) {
    const uid_t me = 1000;
    const struct {
        mode_t mode;
        uid_t owner;
        bool safe;
    } cases[] = {
        {S_IFDIR | 0700, me, true},      {S_IFDIR | 0755, me, true},  {S_IFDIR | 0700, 0, false},
        {S_IFDIR | 0700, me + 1, false}, {S_IFDIR | 0777, me, false}, {S_IFDIR | 0770, me, false},
        {S_IFDIR | 01777, me, false},    {S_IFLNK | 0777, me, false}, {S_IFREG | 0600, me, false}};
    for (const auto& c : cases) {
        struct stat status {};
        status.st_mode = c.mode;
        status.st_uid = c.owner;
        EXPECT_EQ(UnsafeFolderReason(status, me).empty(), c.safe)
            << std::oct << c.mode << " " << std::dec << c.owner;
    }
}

class SocketFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tv-socket-folder-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_tmp = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_tmp); }
    std::filesystem::path m_tmp;
};

TEST_F(SocketFolder, RuntimeDirWinsElseAPrivateFolderIsMadeInTmpdir) {
    std::string reason;
    EXPECT_EQ(InstanceSocketFolder("/run/user/7", m_tmp.string(), getuid(), &reason),
              "/run/user/7");
    const auto folder = InstanceSocketFolder("", m_tmp.string(), getuid(), &reason);
    EXPECT_EQ(folder, m_tmp / ("torvanell-" + std::to_string(getuid()))) << reason;
    struct stat status {};
    ASSERT_EQ(lstat(folder.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);
    // A second start finds the same folder and takes it.
    EXPECT_EQ(InstanceSocketFolder("", m_tmp.string(), getuid(), &reason), folder);
}

TEST_F(SocketFolder, AFolderOfAnotherUserOrOpenToOthersIsRefused) {
    std::string reason;
    // The uid seam: a folder made by this process counts as another user's for uid + 1.
    const uid_t other = getuid() + 1;
    ASSERT_EQ(mkdir((m_tmp / ("torvanell-" + std::to_string(other))).c_str(), 0700), 0);
    EXPECT_TRUE(InstanceSocketFolder("", m_tmp.string(), other, &reason).empty());
    EXPECT_NE(reason.find("belongs to user"), std::string::npos) << reason;

    const auto mine = m_tmp / ("torvanell-" + std::to_string(getuid()));
    ASSERT_EQ(mkdir(mine.c_str(), 0700), 0);
    ASSERT_EQ(chmod(mine.c_str(), 0777), 0);
    EXPECT_TRUE(InstanceSocketFolder("", m_tmp.string(), getuid(), &reason).empty());
    EXPECT_NE(reason.find("written by other users"), std::string::npos) << reason;

    std::filesystem::remove(mine);
    std::filesystem::create_directory_symlink(m_tmp, mine);
    EXPECT_TRUE(InstanceSocketFolder("", m_tmp.string(), getuid(), &reason).empty());
    EXPECT_TRUE(InstanceSocketFolder("", (m_tmp / "missing").string(), getuid(), &reason).empty());
    EXPECT_FALSE(reason.empty());
}

TEST(InstanceMessage, PeerCredentialsNameTheUserAtTheOtherEnd) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    EXPECT_TRUE(PeerIsUser(pair[0], getuid()));
    EXPECT_FALSE(PeerIsUser(pair[0], getuid() + 1));
    close(pair[0]);
    close(pair[1]);
    EXPECT_FALSE(PeerIsUser(-1, getuid()));
}
