// The insert menu, the open dialog's filter and the "Insert file" command after the dialog.

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>

#include <filesystem>
#include <fstream>

#include "playlist/scandir.h"
#include "playlist/windows/insertfiles.h"
#include "playlist/windows/insertmenu.h"
#include "tests/fakes/casename.h"

namespace tv::playlist {
namespace {

namespace fs = std::filesystem;

const char* const kAudio =
    "*.mp3 *.mp2 *.mp1 *.wav *.ogg *.mo3 *.it *.xm *.s3m *.mtm *.mod *.umx *.wma *.wm *.ofr "
    "*.ofs *.flac *.wv *.aac *.mp4 *.ac3 *.alac *.ape *.mpc *.spx *.tta *.opus *.m4a *.oga *.aif "
    "*.aiff";
const char* const kVideo =
    "*.asf *.avi *.avs *.cme *.cof *.csa *.divx *.m1v *.m2v *.mls *.mpeg *.mpg *.ogm *.rm "
    "*.viv *.vob *.wmv *.3gp *.xqt *.mkv *.webm *.mov *.m4v *.flv *.ts *.mp4v";

TEST(OpenDialogFilter, ThreeEntriesInOrderWithEveryPatternOnce) {
    const QStringList filters = OpenDialogFilters();
    ASSERT_EQ(filters.size(), 3);
    EXPECT_EQ(filters[0], QStringLiteral("All Multimedia Formats (%1 %2)").arg(kAudio, kVideo));
    EXPECT_EQ(filters[1], QStringLiteral("Audio Formats (%1)").arg(kAudio));
    EXPECT_EQ(filters[2], QStringLiteral("Video Formats (%1)").arg(kVideo));
    EXPECT_EQ(OpenDialogFilter(), filters.join(";;"));

    // The dialog itself parses it into the same three entries.
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(OpenDialogFilter());
    EXPECT_EQ(dialog.nameFilters(), filters);
}

TEST(OpenDialog, OffersTheFiltersAndReturnsEveryChosenExistingFile) {
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const std::string root = tmp.path().toStdString();
    for (const char* name : {"/a.mp3", "/b.ogg"})
        std::ofstream(root + name) << "x";
    QStringList offered;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {  // never leave a modal loop running
            ADD_FAILURE() << "no open dialog";
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
            return;
        }
        offered = dialog->nameFilters();
        mode = dialog->fileMode();
        dialog->setDirectory(tmp.path());
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!edit) {
            ADD_FAILURE() << "no file name field";
            dialog->reject();
            return;
        }
        edit->setText(QStringLiteral("\"b.ogg\" \"a.mp3\""));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const std::vector<std::string> chosen = ShowOpenDialog(nullptr);
    EXPECT_EQ(offered, OpenDialogFilters());
    EXPECT_EQ(mode, QFileDialog::ExistingFiles);
    EXPECT_EQ(chosen, (std::vector<std::string>{root + "/b.ogg", root + "/a.mp3"}));

    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_TRUE(ShowOpenDialog(nullptr).empty());
}

TEST(PlayMenu, TwoItemsShowingTheirKeysWithoutTakingThem) {
    QWidget owner;
    int n2 = 0, n3 = 0;
    const PlayMenuItems items = CreatePlayMenu(
        &owner, [&] { ++n2; }, [&] { ++n3; });
    ASSERT_NE(items.PlayMenu, nullptr);
    EXPECT_EQ(items.PlayMenu->parent(), &owner);
    EXPECT_EQ(items.PlayMenu->actions(), (QList<QAction*>{items.N2, items.N3}));
    EXPECT_EQ(items.N2->text(), "Insert file\tShift+Ins");
    EXPECT_EQ(items.N3->text(), "Insert folder\tIns");
    EXPECT_TRUE(items.N2->shortcut().isEmpty());
    EXPECT_TRUE(items.N3->shortcut().isEmpty());
    items.N2->trigger();
    EXPECT_EQ(std::pair(n2, n3), std::pair(1, 0));
    items.N3->trigger();
    EXPECT_EQ(std::pair(n2, n3), std::pair(1, 1));
}

class InsertFilesTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        root = tmp.path().toStdString();
        Write(root + "/list.m3u", "#EXTM3U\r\n#EXTINF:10,Listed\r\n/x/listed.mp3\r\n");
        Write(root + "/dir/a.mp3", "x");
        Write(root + "/dir/sub/b.mp3", "x");
        Write(root + "/dir/readme.txt", "x");
        model.AppendEntry("Old", "01:00", "/old.mp3");
        callbacks.append.buildTrackEntry = [&](const std::string& path, int row) {
            log.push_back("build " + std::to_string(row) + " " + path);
        };
        callbacks.playState = [&] { return playState; };
        callbacks.play = [&] { log.push_back("play rows " + std::to_string(model.Count())); };
    }
    static void Write(const std::string& path, const std::string& text) {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    std::vector<std::string> Paths() const {
        std::vector<std::string> paths;
        for (const Entry& e : model.Entries())
            paths.push_back(e.path);
        return paths;
    }

    QTemporaryDir tmp;
    std::string root;
    PlaylistModel model;
    std::vector<std::string> staging{"/stale.mp3"};
    std::vector<std::string> log;
    InsertCallbacks callbacks;
    int playState = 0;
};

TEST_P(InsertFilesTest, PlaylistFirstThenFilesAndFoldersInOrderPlayOnlyWhenStopped) {
    playState = GetParam();
    const std::vector<std::string> names{root + "/one.mp3", root + "/dir", root + "/list.m3u"};
    EXPECT_EQ(InsertFiles(names, staging, model, MaskList(), callbacks), 4);

    const std::vector<std::string> staged{root + "/one.mp3", root + "/dir/sub/b.mp3",
                                          root + "/dir/a.mp3"};
    EXPECT_EQ(staging, staged);
    std::vector<std::string> paths{"/old.mp3", "/x/listed.mp3"};
    paths.insert(paths.end(), staged.begin(), staged.end());
    EXPECT_EQ(Paths(), paths);
    EXPECT_EQ(model.At(1).display, "2. Listed");
    EXPECT_EQ(model.At(1).duration, "00:10");
    EXPECT_EQ(model.At(4).display, "5. a.mp3");

    // Only the staged rows are completed; Play comes after all of them.
    std::vector<std::string> expected{"build 2 " + staged[0], "build 3 " + staged[1],
                                      "build 4 " + staged[2]};
    if (playState == 0)
        expected.push_back("play rows 5");
    EXPECT_EQ(log, expected);
}

INSTANTIATE_TEST_SUITE_P(PlayStates, InsertFilesTest, ::testing::Values(0, 11, 12, 21, 22),
                         tv::cases::ValueName());

TEST_F(InsertFilesTest, CancelledDialogChangesNothing) {
    EXPECT_EQ(InsertFiles({}, staging, model, MaskList(), callbacks), 0);
    EXPECT_EQ(staging, std::vector<std::string>{"/stale.mp3"});
    EXPECT_EQ(model.Count(), 1);
    EXPECT_TRUE(log.empty());
}

TEST_F(InsertFilesTest, OnlyAPlaylistStillEmptiesTheStagingListAndPlays) {
    Write(root + "/UPPER.M3U", "#EXTM3U\r\n#EXTINF:5,Upper\r\n/x/upper.mp3\r\n");
    EXPECT_EQ(InsertFiles({root + "/UPPER.M3U"}, staging, model, MaskList(), callbacks), 1);
    EXPECT_TRUE(staging.empty());
    EXPECT_EQ(Paths(), (std::vector<std::string>{"/old.mp3", "/x/upper.mp3"}));
    EXPECT_EQ(log, std::vector<std::string>{"play rows 2"});
}

}  // namespace
}  // namespace tv::playlist
