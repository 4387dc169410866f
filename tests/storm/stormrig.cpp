#include "stormrig.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

#include "core/audio/engine.h"
#include "core/effectchainhooks.h"
#include "core/player.h"
#include "core/tagtrackinfo.h"
#include "effects/effectchain.h"
#include "effects/windows/tfrmequalizer.h"
#include "playlist/m3u.h"
#include "playlist/windows/tfrmopen.h"
#include "tags/windows/tfrmmp3tag.h"
#include "tags/windows/tfrmoggtag.h"
#include "ui/aboutwindow.h"
#include "ui/mainwindow.h"
#include "ui/playlistview.h"
#include "ui/skin/mainlayout.h"
#include "ui/waitwithevents.h"
#include "ui/warning.h"

namespace fs = std::filesystem;

namespace tv::storm {

namespace {

// The media files the storm plays: every audio format the engine opens, a module, and the
// files it must refuse or cannot open. The video fixture stays out: the video window needs a
// real X server.
constexpr const char* kFixtures[] = {"tone-1k.mp3",
                                     "tone-1k.mp2",
                                     "tone-1k.wav",
                                     "tone-1k-8bit.wav",
                                     "tone-1k.aiff",
                                     "tone-1k.ogg",
                                     "tone-1k.wma",
                                     "tone-1k.flac",
                                     "tone-1k.wv",
                                     "tone-1k.aac",
                                     "tone-1k.m4a",
                                     "tone-1k.ac3",
                                     "tone-1k-alac.m4a",
                                     "tone-1k.tta",
                                     "tone-1k.spx",
                                     "tone-1k.opus",
                                     "sine-fullscale.wav",
                                     "silence-then-tone.wav",
                                     "silence-then-tone.flac",
                                     "mp3-named.flac",
                                     "empty.wav",
                                     "truncated.m4a",
                                     "random.mp3",
                                     "unknown-ofr.ofr",
                                     "tone.mod",
                                     "format-change-midstream.mp3"};

// The warnings the storm may see: an 8-bit source refused on Play, and a tag window's refused
// save of a file that is gone or is not of the window's kind (a playlist row may name a missing
// file, and a save points the visible windows at the focused row, whatever its kind). Any
// other warning, a failed save of one of the clean MPEG or Ogg files above all, is a fault.
bool ExpectedWarning(const std::string& text) {
    if (text == "Opening channel error")
        return true;
    const std::string prefix = "Could not save the tags of \"";
    const std::string unchanged = "The file was not changed.";
    if (text.compare(0, prefix.size(), prefix) != 0 || text.size() < unchanged.size() ||
        text.compare(text.size() - unchanged.size(), unchanged.size(), unchanged) != 0)
        return false;
    const size_t close = text.find("\": ", prefix.size());
    if (close == std::string::npos)
        return false;
    const fs::path file = text.substr(prefix.size(), close - prefix.size());
    const std::string name = file.filename().string();
    std::error_code error;
    const bool clean = name == "tone-1k.mp3" || name == "tone-1k.mp2" || name == "tone-1k.ogg";
    return !clean || !fs::exists(file, error);
}

const char* const kNames[] = {"Play",
                              "Stop",
                              "Pause",
                              "Next",
                              "Back",
                              "RandomMode",
                              "ReplayMode",
                              "TimeMode",
                              "SeekKeyBack",
                              "SeekKeyForward",
                              "SeekSlider",
                              "KnobDrag",
                              "WheelPlaylist",
                              "WheelVolume",
                              "EqualizerWindow",
                              "EqualizerSwitch",
                              "EqualizerPreset",
                              "EqualizerBand",
                              "EffectSwitch",
                              "EqualizerOk",
                              "DropFiles",
                              "DropFolder",
                              "DropPlaylist",
                              "DropMissing",
                              "KeyUp",
                              "KeyDown",
                              "KeyHome",
                              "KeyEnd",
                              "KeyEnter",
                              "KeySpace",
                              "KeyDelete",
                              "KeyClear",
                              "KeyInsert",
                              "OpenFolderOk",
                              "OpenFolderCancel",
                              "InsertFile",
                              "Search",
                              "SearchKey",
                              "TagsKey",
                              "SaveTags",
                              "CloseTags",
                              "AboutWindow",
                              "CloseAbout",
                              "Eject",
                              "Minimise",
                              "ClickRow",
                              "DoubleClickRow",
                              "Wait",
                              "Nested"};
static_assert(std::size(kNames) == static_cast<size_t>(Command::kCount));

uint32_t Mix(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButtons held) {
    const Qt::MouseButton button =
        type == QEvent::MouseMove ? Qt::NoButton : Qt::MouseButton(Qt::LeftButton);
    QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, held,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

}  // namespace

const char* CommandName(Command c) {
    return kNames[static_cast<int>(c)];
}

StormRig::StormRig(uint32_t seed) {
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    std::string tmpl = (fs::temp_directory_path() / "tv-storm-XXXXXX").string();
    m_home = mkdtemp(tmpl.data());
    m_media = m_home / "media";
    CopyFixtures();
    ui::SetWarningSink([this](const std::string& text) {
        m_warnings.push_back(text);
        if (!ExpectedWarning(text) && m_nestedFailure.empty())
            m_nestedFailure = "unexpected warning: " + text;
    });

    m_engine = std::make_unique<audio::Engine>();
    m_trackInfo = std::make_unique<core::TagTrackInfo>();
    m_model = std::make_unique<core::PlayerModel>(*m_engine, *m_trackInfo, m_home,
                                                  ui::MainTrackGeometry());
    m_main = std::make_unique<ui::TfrmMain>(*m_model);
    m_main->Playlist().SeedRandom(seed);
    if (m_main->FormCreate())
        std::abort();  // no audio device: nothing to storm
    m_open = std::make_unique<playlist::TfrmOpen>(m_model->SettingsPath());
    m_main->SetOpenWindow(m_open.get());
    QObject::connect(m_open.get(), &playlist::TfrmOpen::StagedFilesReady, m_main.get(),
                     [this] { m_main->btnOpenClick(); });
    m_equalizer = std::make_unique<effects::TfrmEqualizer>(m_model->Chain());
    m_main->SetEqualizerWindow(m_equalizer.get());
    m_about = std::make_unique<ui::TfrmAbout>();
    m_main->SetAboutWindow(m_about.get());
    m_main->show();
    Pump(20);
}

StormRig::~StormRig() {
    if (!m_closed)
        CloseAndCheckSaved();
    m_main->SetAboutWindow(nullptr);
    m_about.reset();
    m_main->SetEqualizerWindow(nullptr);
    m_equalizer.reset();
    m_main->SetOpenWindow(nullptr);
    m_open.reset();
    m_main.reset();
    m_model.reset();
    m_engine.reset();
    ui::SetWarningSink({});
    std::error_code error;
    fs::remove_all(m_home, error);
}

void StormRig::CopyFixtures() {
    const fs::path data = TV_TEST_DATA_DIR;
    const fs::path album = m_media / "album";
    fs::create_directories(album / "sub");
    int i = 0;
    for (const char* name : kFixtures) {
        // Every third file also lives in the album folder, some of them one level down.
        fs::copy_file(data / name, m_media / name);
        m_files.push_back((m_media / name).string());
        if (i % 3 == 0)
            fs::copy_file(data / name, (i % 2 ? album / "sub" : album) / name);
        ++i;
    }
    m_folders = {album.string(), (album / "sub").string(), m_media.string()};
    // A playlist with relative entries, a missing file and an absolute entry.
    std::ofstream(m_media / "list.m3u", std::ios::binary)
        << "#EXTM3U\r\n#EXTINF:1,One\r\ntone-1k.mp3\r\n#EXTINF:1,Gone\r\ngone.mp3\r\n"
        << "album/tone-1k.mp3\r\n#EXTINF:-1,Module\r\n"
        << (m_media / "tone.mod").string() << "\r\n";
    m_playlists = {(m_media / "list.m3u").string()};
    // The program starts with a playlist of a few rows.
    std::ofstream(m_home / "default.m3u", std::ios::binary)
        << "#EXTM3U\r\n#EXTINF:1,Tone\r\n"
        << (m_media / "tone-1k.ogg").string() << "\r\n#EXTINF:1,Wave\r\n"
        << (m_media / "tone-1k.wav").string() << "\r\n";
}

std::string StormRig::Media(uint32_t arg) const {
    return m_files[arg % m_files.size()];
}

void StormRig::Pump(int ms) {
    ui::WaitWithEvents(ms);
}

void StormRig::Click(QWidget* w) {
    const QPoint centre(w->width() / 2, w->height() / 2);
    SendMouse(w, QEvent::MouseButtonPress, centre, Qt::LeftButton);
    SendMouse(w, QEvent::MouseButtonRelease, centre, Qt::NoButton);
}

void StormRig::Key(QWidget* target, int key, int modifiers, int repeats) {
    const auto mods = Qt::KeyboardModifiers(modifiers);
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QCoreApplication::sendEvent(target, &press);
    for (int i = 0; i < repeats; ++i) {
        // A held key repeats as release/press pairs marked as auto-repeated.
        QKeyEvent up(QEvent::KeyRelease, key, mods, QString(), true);
        QCoreApplication::sendEvent(target, &up);
        QKeyEvent down(QEvent::KeyPress, key, mods, QString(), true);
        QCoreApplication::sendEvent(target, &down);
    }
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QCoreApplication::sendEvent(target, &release);
}

void StormRig::Drop(const std::vector<std::string>& names) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const std::string& n : names)
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString(n)));
    data->setUrls(urls);
    QWindow* window = m_main->windowHandle();
    QDragEnterEvent enter(QPoint(150, 300), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(150, 300), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    QCoreApplication::sendEvent(window, &drop);
    delete data;
}

void StormRig::Wheel(int x, int y, bool up) {
    const QPoint local(x, y);
    QWheelEvent e(QPointF(local), QPointF(m_main->mapToGlobal(local)), QPoint(),
                  QPoint(0, up ? 120 : -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                  false);
    QCoreApplication::sendEvent(m_main.get(), &e);
}

// The open dialog of Shift+Insert runs its own event loop: the rig answers it from a timer,
// with one media file or with Cancel, and gives up on it after two seconds.
void StormRig::AnswerOpenDialog() {
    auto* timer = new QTimer(m_main.get());
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    const uint32_t arg = m_dialogArg;
    QObject::connect(timer, &QTimer::timeout, timer, [this, timer, clock, arg] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog && clock->elapsed() <= 2000)
            return;
        // Deleted once control is back in the loop that runs the storm: stopped at once, as
        // the dialog's own loop would fire it again meanwhile.
        timer->stop();
        timer->deleteLater();
        if (!dialog)
            return;
        if (arg % 3 == 0 || clock->elapsed() > 2000) {
            dialog->reject();
            return;
        }
        dialog->setDirectory(QString::fromStdString(m_media.string()));
        dialog->selectFile(QString::fromStdString(fs::path(Media(arg)).filename().string()));
        // What the dialog's Open button does.
        QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
        if (dialog->isVisible())
            dialog->reject();
    });
    timer->start(15);
}

void StormRig::TraceState(const char* mark, Command command) {
    const core::Player& p = m_main->Player();
    std::printf("  %*s%s %s: state %d channel %u rows %d current %d\n", 2 * m_depth, "", mark,
                CommandName(command), p.PlayState(), p.Channel(), m_main->Playlist().Count(),
                m_main->Playlist().Current());
    std::fflush(stdout);
}

void StormRig::Schedule(Command command, uint32_t arg, int delayMs) {
    QTimer::singleShot(delayMs, m_main.get(), [this, command, arg] {
        if (m_closed)
            return;
        ++m_depth;
        Run(command, arg);
        --m_depth;
        if (m_nestedFailure.empty()) {
            const std::string broken = Check(false);
            if (!broken.empty())
                m_nestedFailure =
                    std::string("after nested ") + CommandName(command) + ": " + broken;
        }
    });
}

void StormRig::Run(Command command, uint32_t arg) {
    ++m_commandsRun;
    if (m_trace)
        TraceState(">", command);
    ui::TfrmMain& w = *m_main;
    ui::PlaylistView* list = w.PlayList;
    const uint32_t a = arg >> 4;  // what the command reads beyond its variant
    switch (command) {
        case Command::Play:
            Click(w.bPlay);
            break;
        case Command::Stop:
            Click(w.bStop);
            break;
        case Command::Pause:
            Click(w.bPause);
            break;
        case Command::Next:
            Click(w.bNext);
            break;
        case Command::Back:
            Click(w.bBack);
            break;
        case Command::RandomMode:
            Click(w.btnrnd);
            break;
        case Command::ReplayMode:
            Click(w.btnrpl);
            break;
        case Command::TimeMode:
            SendMouse(w.lbPosLen, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
            SendMouse(w.lbPosLen, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::NoButton);
            break;
        case Command::SeekKeyBack:
        case Command::SeekKeyForward:
            Key(list, command == Command::SeekKeyBack ? Qt::Key_Left : Qt::Key_Right, 0,
                static_cast<int>(a % 4));
            break;
        case Command::SeekSlider: {
            const int x = static_cast<int>(a % static_cast<uint32_t>(w.Image4->width() + 1));
            SendMouse(w.Image4, QEvent::MouseButtonPress, QPoint(x, 4), Qt::LeftButton);
            if (arg & 1) {
                const int x2 =
                    static_cast<int>((a >> 10) % static_cast<uint32_t>(w.Image4->width()));
                SendMouse(w.Image4, QEvent::MouseMove, QPoint(x2, 4), Qt::LeftButton);
            }
            SendMouse(w.Image4, QEvent::MouseButtonRelease, QPoint(x, 4), Qt::NoButton);
            break;
        }
        case Command::KnobDrag: {
            const int dx = static_cast<int>(a % 601) - 300;
            SendMouse(w.Image10, QEvent::MouseButtonPress, QPoint(5, 4), Qt::LeftButton);
            SendMouse(w.Image10, QEvent::MouseMove, QPoint(5 + dx, 4), Qt::LeftButton);
            SendMouse(w.Image10, QEvent::MouseButtonRelease, QPoint(5 + dx, 4), Qt::NoButton);
            break;
        }
        case Command::WheelPlaylist: {
            const ui::layout::Place& p = ui::layout::kMainPanel;
            Wheel(p.x + static_cast<int>(a % static_cast<uint32_t>(p.w)), p.y + p.h / 2, arg & 1);
            break;
        }
        case Command::WheelVolume: {
            const ui::layout::Place& v = ui::layout::kPanel6;
            Wheel(v.x + static_cast<int>(a % static_cast<uint32_t>(v.w + 1)), v.y + v.h / 2,
                  arg & 1);
            break;
        }
        case Command::EqualizerWindow:
            Click(w.bEQ);
            break;
        case Command::EqualizerSwitch:
            m_equalizer->chEqualizer()->click();
            break;
        case Command::EqualizerPreset: {
            QComboBox* box = m_equalizer->boxEQSelect();
            if (box->count() == 0 || !box->isEnabled())
                break;
            const int i = static_cast<int>(a % static_cast<uint32_t>(box->count()));
            box->setCurrentIndex(i);
            emit box->activated(i);
            break;
        }
        case Command::EqualizerBand: {
            QSlider* s = m_equalizer->Slider(static_cast<int>(a % 10));
            if (!s->isEnabled())
                break;
            const int span = s->maximum() - s->minimum() + 1;
            s->setValue(s->minimum() + static_cast<int>((a >> 4) % static_cast<uint32_t>(span)));
            break;
        }
        case Command::EffectSwitch: {
            QListWidget* effects = m_equalizer->CheckListBox1();
            if (effects->count() == 0)
                break;
            QListWidgetItem* item =
                effects->item(static_cast<int>(a % static_cast<uint32_t>(effects->count())));
            item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
            break;
        }
        case Command::EqualizerOk:
            if (m_equalizer->isVisible())
                m_equalizer->Button1()->click();
            break;
        case Command::DropFiles: {
            std::vector<std::string> names;
            for (uint32_t i = 0, n = 1 + a % 5; i < n; ++i)
                names.push_back(Media(Mix(arg + i)));
            Drop(names);
            break;
        }
        case Command::DropFolder:
            Drop({m_folders[a % m_folders.size()]});
            break;
        case Command::DropPlaylist:
            Drop({m_playlists[0], Media(a)});
            break;
        case Command::DropMissing:
            Drop({(m_media / "nowhere" / "gone.mp3").string(), (m_media / "nofolder").string()});
            break;
        case Command::KeyUp:
            Key(list, Qt::Key_Up);
            break;
        case Command::KeyDown:
            Key(list, Qt::Key_Down);
            break;
        case Command::KeyHome:
            Key(list, Qt::Key_Home);
            break;
        case Command::KeyEnd:
            Key(list, Qt::Key_End);
            break;
        case Command::KeyEnter:
            Key(list, Qt::Key_Return);
            break;
        case Command::KeySpace:
            Key(list, Qt::Key_Space);
            break;
        case Command::KeyDelete:
            Key(list, Qt::Key_Delete);
            break;
        case Command::KeyClear:
            Key(list, Qt::Key_Delete, Qt::ShiftModifier);
            break;
        case Command::KeyInsert:
            Key(list, Qt::Key_Insert);
            break;
        case Command::OpenFolderOk:
            if (m_open->isVisible()) {
                m_open->SelectPath(m_folders[a % m_folders.size()]);
                m_open->CheckBox1->setChecked(arg & 1);
                m_open->Button1->click();
            }
            break;
        case Command::OpenFolderCancel:
            if (m_open->isVisible())
                m_open->Button2->click();
            break;
        case Command::InsertFile:
            m_dialogArg = a;
            AnswerOpenDialog();
            Key(list, Qt::Key_Insert, Qt::ShiftModifier);
            break;
        case Command::Search: {
            static const char* const texts[] = {"tone", "1K", "wav", "zz", "silence", "o", ""};
            const char* text = texts[a % std::size(texts)];
            w.Search->setFocus();
            if (arg & 1)
                w.Search->clear();
            for (const char* c = text; *c; ++c) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QString(QChar(*c)));
                QCoreApplication::sendEvent(w.Search, &press);
            }
            break;
        }
        case Command::SearchKey: {
            static const int keys[] = {Qt::Key_Down, Qt::Key_Up, Qt::Key_Return, Qt::Key_Escape};
            Key(w.Search, keys[a % std::size(keys)]);
            break;
        }
        case Command::TagsKey:
            Key(list, Qt::Key_F2);
            break;
        case Command::SaveTags: {
            const QString title = QStringLiteral("Storm %1").arg(a % 1000);
            if (auto* mp3 = w.MP3TagWindow(); mp3->isVisible()) {
                mp3->TitleEdit2->setText(title);
                mp3->SaveButton2->click();
            } else if (auto* ogg = w.OggTagWindow(); ogg->isVisible()) {
                ogg->EditTitle->setText(title);
                ogg->ButtonSaveTag->click();
            }
            break;
        }
        case Command::CloseTags:
            if (w.MP3TagWindow()->isVisible())
                w.MP3TagWindow()->Button1->click();
            if (w.OggTagWindow()->isVisible())
                w.OggTagWindow()->ButtonClose->click();
            break;
        case Command::AboutWindow:
            if (arg & 1)
                Click(w.imgi);
            else
                Key(list, Qt::Key_F1);
            break;
        case Command::CloseAbout:
            m_about->close();
            break;
        case Command::Eject:
            Click(w.bEject);
            Pump(static_cast<int>(a % 5));
            w.PlayMenu().PlayMenu->hide();
            break;
        case Command::Minimise:
            Key(list, Qt::Key_Escape);
            Pump(static_cast<int>(a % 5));
            w.RaiseWindow();
            break;
        case Command::ClickRow:
        case Command::DoubleClickRow: {
            const QPoint at(40, static_cast<int>(a % static_cast<uint32_t>(list->height())));
            SendMouse(list, QEvent::MouseButtonPress, at, Qt::LeftButton);
            SendMouse(list, QEvent::MouseButtonRelease, at, Qt::NoButton);
            if (command == Command::DoubleClickRow) {
                SendMouse(list, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
                SendMouse(list, QEvent::MouseButtonRelease, at, Qt::NoButton);
            }
            break;
        }
        case Command::Wait:
            Pump(static_cast<int>(a % 60));
            break;
        case Command::Nested: {
            auto inner = static_cast<Command>(Mix(arg) % static_cast<uint32_t>(Command::kCount));
            if (inner == Command::Nested || inner == Command::InsertFile)
                inner = Command::Wait;
            Schedule(inner, Mix(arg + 1), static_cast<int>(a % 40));
            break;
        }
        case Command::kCount:
            break;
    }
    if (m_trace)
        TraceState("<", command);
    if (m_depth == 0) {
        // A popup left open by Play on an empty playlist closes, as a click elsewhere would.
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    }
}

std::string StormRig::Check(bool settled) {
    if (!m_nestedFailure.empty())
        return m_nestedFailure;
    ui::TfrmMain& w = *m_main;
    const core::Player& player = w.Player();
    const playlist::PlaylistModel& model = w.Playlist();
    std::ostringstream out;
    const int state = player.PlayState();
    const audio::Handle channel = player.Channel();
    const int n = model.Count();
    if (state != core::kStopped && state != core::kAudioPlaying && state != core::kAudioPaused &&
        state != core::kVideoPlaying && state != core::kVideoPaused)
        out << "PlayState " << state << " is none of the five; ";
    if (state == core::kStopped && channel != 0)
        out << "stopped with channel " << channel << "; ";
    if (state == core::kAudioPlaying || state == core::kAudioPaused) {
        // An entry that did not open plays as an empty track (channel 0) until the next tick
        // ends it; any other channel must be one the engine still holds.
        audio::ChannelInfo info;
        if (channel != 0 && !m_engine->ChannelGetInfo(channel, info))
            out << "PlayState " << state << " with the freed channel " << channel << "; ";
        // Inside another command (a track's end, the slider's seek) the timer is off for a
        // moment; once a command has finished, playing audio keeps its end test running.
        // (With a replay value outside the three modes an ended track stays ended with the
        // timer off, as designed; the replay button never makes one.)
        const int replay = w.Modes().replay;
        if (settled && state == core::kAudioPlaying && !w.tmrMain->isActive() && replay >= 0 &&
            replay <= 2)
            out << "audio playing with the main timer off; ";
    }
    if (model.Current() < -1 || model.Current() >= n)
        out << "current entry " << model.Current() << " of " << n << "; ";
    if (model.Focused() < -1 || model.Focused() >= n)
        out << "focused entry " << model.Focused() << " of " << n << "; ";
    for (int i = 0; i < n; ++i) {
        const std::string number = std::to_string(i + 1) + ". ";
        if (model.At(i).display.compare(0, number.size(), number) != 0) {
            out << "row " << i << " reads \"" << model.At(i).display << "\"; ";
            break;
        }
    }
    for (int row : model.SelectedRows())
        if (row < 0 || row >= n)
            out << "selected row " << row << " of " << n << "; ";
    // Removal leaves the shuffled order as it is (readers skip what is out of range), so it
    // must still hold every row once.
    std::set<int> shuffled;
    for (int v : model.RandomList())
        if (!shuffled.insert(v).second) {
            out << "shuffled order holds " << v << " twice; ";
            break;
        }
    for (int i = 0; i < n; ++i)
        if (!shuffled.count(i)) {
            out << "shuffled order lacks row " << i << " of " << n << "; ";
            break;
        }
    return out.str();
}

std::string StormRig::CloseAndCheckSaved() {
    if (m_closed)
        return {};
    m_main->close();
    m_closed = true;
    m_main->FormDestroy();
    std::ostringstream out;
    playlist::PlaylistModel saved;
    playlist::LoadPlaylistFile(saved, (m_home / "default.m3u").string());
    const playlist::PlaylistModel& model = m_main->Playlist();
    if (saved.Count() != model.Count())
        out << "default.m3u holds " << saved.Count() << " rows of " << model.Count() << "; ";
    for (int i = 0; i < std::min(saved.Count(), model.Count()); ++i)
        if (saved.At(i).path != model.At(i).path) {
            out << "default.m3u row " << i << " is " << saved.At(i).path << "; ";
            break;
        }
    return out.str();
}

}  // namespace tv::storm
