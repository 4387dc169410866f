// The open-folder window: geometry, its keys in settings.ini, OK/Enter scanning the chosen
// folder into the staging list, Esc/Cancel leaving everything as it was.

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "playlist/windows/tfrmopen.h"
#include "tests/fakes/casename.h"

namespace tv::playlist {
namespace {

namespace fs = std::filesystem;

void Write(const fs::path& path, const std::string& text = "x") {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class OpenFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        root = fs::path(tmp.path().toStdString());
        music = (root / "music").string();
        // Subfolders come first, then the folder's own files grouped by mask (mp3 before ogg).
        Write(root / "music" / "b.ogg");
        Write(root / "music" / "a.mp3");
        Write(root / "music" / "notes.txt");
        Write(root / "music" / "sub" / "c.mp3");
        Write(root / "music" / ".hidden" / "d.mp3");
    }
    fs::path Settings() const { return root / "settings.ini"; }
    std::unique_ptr<TfrmOpen> Make() { return std::make_unique<TfrmOpen>(Settings()); }

    QTemporaryDir tmp;
    fs::path root;
    std::string music;
};

TEST_F(OpenFolderTest, CreatedHiddenWithDesignGeometryAndAnchoredControls) {
    auto w = Make();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), "Opening folder");
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::Tool));
    EXPECT_EQ(w->pos(), QPoint(385, 197));
    EXPECT_EQ(w->size(), QSize(308, 284));
    EXPECT_EQ(w->minimumSize(), QSize(308, 264));
    EXPECT_TRUE(w->CheckBox1->isChecked());
    EXPECT_EQ(w->CheckBox1->text(), "Subdirectories");
    EXPECT_EQ(w->Button1->text(), "OK");
    EXPECT_EQ(w->Button2->text(), "Cancel");
    EXPECT_EQ(w->SelectedPath(), "");
    EXPECT_EQ(w->ShellTreeView1->contextMenuPolicy(), Qt::PreventContextMenu);

    w->show();
    for (const QSize size : {QSize(308, 284), QSize(500, 420)}) {
        w->resize(size);
        const int width = size.width(), height = size.height();
        EXPECT_EQ(w->ShellTreeView1->geometry(), QRect(8, 8, width - 16, height - 56));
        for (QWidget* control :
             {static_cast<QWidget*>(w->CheckBox1), static_cast<QWidget*>(w->Button1),
              static_cast<QWidget*>(w->Button2)}) {
            EXPECT_GE(control->y(), height - 40) << control->objectName().toStdString();
            EXPECT_LE(control->geometry().bottom(), height - 1);
        }
        EXPECT_EQ(w->Button2->geometry().right(), width - 8 - 1);
        EXPECT_LT(w->Button1->geometry().right(), w->Button2->x());
        EXPECT_LT(w->CheckBox1->geometry().right(), w->Button1->x());
    }
    w->resize(100, 100);
    EXPECT_EQ(w->size(), QSize(308, 264));
}

// The names the tree shows below `path`, once the folder has been read. The tree's rows move
// while folders are read in the background, so the row is looked up afresh each time.
QStringList ChildNames(TfrmOpen& w, const std::string& path) {
    QAbstractItemModel* model = w.ShellTreeView1->model();
    w.ShellTreeView1->expand(w.TreeIndex(path));
    WaitFor([&] { return model->rowCount(w.TreeIndex(path)) > 0; });
    // Let the last batch of the folder arrive.
    QTest::qWait(200);
    const QModelIndex folder = w.TreeIndex(path);
    QStringList names;
    for (int row = 0; row < model->rowCount(folder); ++row)
        names << model->index(row, 0, folder).data().toString();
    return names;
}

TEST_F(OpenFolderTest, TreeShowsFoldersOnlyAndNoHiddenOnes) {
    fs::create_directories(root / "music" / "lost+found");
    auto w = Make();
    ASSERT_TRUE(w->SelectPath(music));
    // No files, no hidden folder and no file-system checker's lost+found.
    EXPECT_EQ(ChildNames(*w, music), QStringList{"sub"});
    // The root is "/" itself, so the whole file system (and "/" as a folder) can be chosen.
    QAbstractItemModel* model = w->ShellTreeView1->model();
    const QModelIndex top = model->index(0, 0, w->ShellTreeView1->rootIndex());
    EXPECT_EQ(w->TreePath(top), "/");
}

TEST_F(OpenFolderTest, PseudoFileSystemsAreLeftOutAndCannotBeSelected) {
    auto w = Make();
    const QStringList names = ChildNames(*w, "/");
    EXPECT_TRUE(names.contains("usr")) << names.join(' ').toStdString();
    for (const char* hidden : {"proc", "sys", "dev", "lost+found"})
        EXPECT_FALSE(names.contains(hidden)) << hidden;
    for (const char* path : {"/proc", "/sys", "/proc/self"}) {
        EXPECT_FALSE(w->TreeIndex(path).isValid()) << path;
        EXPECT_FALSE(w->SelectPath(path)) << path;
    }
}

TEST_F(OpenFolderTest, EveryFolderShowsAnIcon) {
    auto w = Make();
    ASSERT_TRUE(w->SelectPath(music));
    for (const std::string& path : {std::string("/"), std::string("/usr"), music}) {
        const QModelIndex index = w->TreeIndex(path);
        ASSERT_TRUE(index.isValid()) << path;
        const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
        EXPECT_FALSE(icon.isNull()) << path;
        EXPECT_FALSE(icon.pixmap(16, 16).isNull()) << path;
    }
}

struct StoredPathCase {
    const char* name;
    const char* suffix;  // appended to the music folder; nullptr stores an empty path
    bool selected;
};

class StoredPathTest : public OpenFolderTest,
                       public ::testing::WithParamInterface<StoredPathCase> {};

TEST_P(StoredPathTest, SelectedWhenItIsAFolderOtherwiseIgnoredWhileOtherKeysApply) {
    const std::string stored = GetParam().suffix ? music + GetParam().suffix : std::string();
    Write(Settings(), "[Settings]\nPath=" + stored +
                          "\nSubdirectories=0\nOpenWidth=400\nOpenHeight=350\n"
                          "OpenPosX=12\nOpenPosY=34\n");
    auto w = Make();
    EXPECT_EQ(w->SelectedPath(), GetParam().selected ? stored : "");
    EXPECT_FALSE(w->CheckBox1->isChecked());
    EXPECT_EQ(w->geometry(), QRect(12, 34, 400, 350));
}

INSTANTIATE_TEST_SUITE_P(OpenFolder, StoredPathTest,
                         ::testing::Values(StoredPathCase{"ExistingFolder", "", true},
                                           StoredPathCase{"NestedFolder", "/sub", true},
                                           StoredPathCase{"GoneFolder", "/gone", false},
                                           StoredPathCase{"AFile", "/a.mp3", false},
                                           StoredPathCase{"Empty", nullptr, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OpenFolderTest, KeysWrittenInTheirOrderWhenDestroyedKeepingOthers) {
    Write(Settings(), "[Settings]\nMine=keep\n[Other]\nA=1\n");
    {
        auto w = Make();
        ASSERT_TRUE(w->SelectPath(music));
        w->CheckBox1->setChecked(false);
        w->setGeometry(10, 20, 400, 300);
        // The explicit form gives the same keys as the destructor writes.
        core::IniFile ini;
        w->SaveSettings(ini);
        EXPECT_EQ(ini.Render(), "[Settings]\nPath=" + music +
                                    "\nSubdirectories=0\nOpenWidth=400\nOpenHeight=300\n"
                                    "OpenPosX=10\nOpenPosY=20\n");
    }
    EXPECT_EQ(ReadAll(Settings()), "[Settings]\nMine=keep\nPath=" + music +
                                       "\nSubdirectories=0\nOpenWidth=400\nOpenHeight=300\n"
                                       "OpenPosX=10\nOpenPosY=20\n[Other]\nA=1\n");
    // Read back by the next run's window.
    auto again = Make();
    EXPECT_EQ(again->SelectedPath(), music);
    EXPECT_FALSE(again->CheckBox1->isChecked());
    EXPECT_EQ(again->geometry(), QRect(10, 20, 400, 300));
}

TEST_F(OpenFolderTest, NoSettingsFileWritesTheDefaults) {
    { auto w = Make(); }
    EXPECT_EQ(ReadAll(Settings()),
              "[Settings]\nPath=\nSubdirectories=1\nOpenWidth=308\nOpenHeight=284\n"
              "OpenPosX=385\nOpenPosY=197\n");
}

enum class Confirm { OkButton, EnterInTree, KeypadEnterInTree };

class ConfirmTest : public OpenFolderTest,
                    public ::testing::WithParamInterface<std::tuple<Confirm, bool>> {};

TEST_P(ConfirmTest, ScansTheChosenFolderIntoTheStagingListThenSignalsOnce) {
    const auto [how, subdirectories] = GetParam();
    auto w = Make();
    ASSERT_TRUE(w->SelectPath(music));
    w->CheckBox1->setChecked(subdirectories);
    w->StagingList() = {"/stale/left.mp3"};
    std::vector<std::string> atSignal;
    bool hiddenAtSignal = false;
    int emitted = 0;
    QObject::connect(w.get(), &TfrmOpen::StagedFilesReady, [&] {
        ++emitted;
        atSignal = w->StagingList();
        hiddenAtSignal = !w->isVisible();
    });
    w->show();
    switch (how) {
        case Confirm::OkButton:
            QTest::mouseClick(w->Button1, Qt::LeftButton);
            break;
        case Confirm::EnterInTree:
            QTest::keyClick(w->ShellTreeView1, Qt::Key_Return);
            break;
        case Confirm::KeypadEnterInTree:
            QTest::keyClick(w->ShellTreeView1, Qt::Key_Enter, Qt::KeypadModifier);
            break;
    }
    EXPECT_EQ(emitted, 1);
    EXPECT_TRUE(hiddenAtSignal);
    std::vector<std::string> expected;
    if (subdirectories)
        expected.push_back(music + "/sub/c.mp3");
    expected.push_back(music + "/a.mp3");
    expected.push_back(music + "/b.ogg");
    EXPECT_EQ(atSignal, expected);
    EXPECT_EQ(w->StagingList(), expected);  // kept until the next adding command
}

INSTANTIATE_TEST_SUITE_P(OpenFolder, ConfirmTest,
                         ::testing::Combine(::testing::Values(Confirm::OkButton,
                                                              Confirm::EnterInTree,
                                                              Confirm::KeypadEnterInTree),
                                            ::testing::Bool()),
                         tv::cases::ValueName());

TEST_F(OpenFolderTest, OkWithNothingSelectedEmptiesTheStagingListAndAddsNothing) {
    auto w = Make();
    w->StagingList() = {"/stale/left.mp3"};
    QSignalSpy spy(w.get(), &TfrmOpen::StagedFilesReady);
    w->show();
    // Enter outside the tree is no OK.
    QTest::keyClick(w->CheckBox1, Qt::Key_Return);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_TRUE(w->isVisible());
    w->Button1->click();
    EXPECT_EQ(spy.count(), 1);
    EXPECT_TRUE(w->StagingList().empty());
    EXPECT_FALSE(w->isVisible());
}

enum class Dismiss { CancelButton, EscInTree, EscOnCheckBox, EscOnOk, EscOnWindow };

class DismissTest : public OpenFolderTest, public ::testing::WithParamInterface<Dismiss> {};

TEST_P(DismissTest, ClosesWithoutChangesAndReopensOnTheSameFolderWithTheTreeFocused) {
    auto w = Make();
    ASSERT_TRUE(w->SelectPath(music));
    w->StagingList() = {"/kept.mp3"};
    QSignalSpy spy(w.get(), &TfrmOpen::StagedFilesReady);
    w->show();
    w->Button2->setFocus();
    switch (GetParam()) {
        case Dismiss::CancelButton:
            QTest::mouseClick(w->Button2, Qt::LeftButton);
            break;
        case Dismiss::EscInTree:
            QTest::keyClick(w->ShellTreeView1, Qt::Key_Escape);
            break;
        case Dismiss::EscOnCheckBox:
            QTest::keyClick(w->CheckBox1, Qt::Key_Escape);
            break;
        case Dismiss::EscOnOk:
            QTest::keyClick(w->Button1, Qt::Key_Escape);
            break;
        case Dismiss::EscOnWindow:
            QTest::keyClick(w.get(), Qt::Key_Escape);
            break;
    }
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(w->StagingList(), std::vector<std::string>{"/kept.mp3"});
    EXPECT_TRUE(w->CheckBox1->isChecked());

    w->show();
    EXPECT_EQ(w->SelectedPath(), music);
    EXPECT_EQ(w->focusWidget(), w->ShellTreeView1);
}

INSTANTIATE_TEST_SUITE_P(OpenFolder, DismissTest,
                         ::testing::Values(Dismiss::CancelButton, Dismiss::EscInTree,
                                           Dismiss::EscOnCheckBox, Dismiss::EscOnOk,
                                           Dismiss::EscOnWindow),
                         tv::cases::ValueName());

}  // namespace
}  // namespace tv::playlist
