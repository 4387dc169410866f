// The main window's side of the information windows: creating them, F2 in the playlist, and
// the tag save they hand to the player model.

#include "core/trackentry.h"
#include "tags/windows/tfrmimpeg.h"
#include "tags/windows/tfrmmp3tag.h"
#include "tags/windows/tfrmoggtag.h"
#include "ui/mainwindow.h"

namespace tv::ui {

void TfrmMain::CreateInformationWindows() {
    m_frmiMpeg = std::make_unique<tags::windows::TfrmiMpeg>();
    m_frmiMpeg->selectedPath = [this] { return Player().CurrentPath(); };
    m_frmMP3Tag = std::make_unique<tags::windows::TfrmMP3Tag>();
    m_frmOGGTag = std::make_unique<tags::windows::TfrmOGGTag>();
    m_frmMP3Tag->SetOtherWindow(m_frmOGGTag.get());
    m_frmOGGTag->SetOtherWindow(m_frmMP3Tag.get());
    for (tags::windows::TagWindow* window :
         {static_cast<tags::windows::TagWindow*>(m_frmMP3Tag.get()),
          static_cast<tags::windows::TagWindow*>(m_frmOGGTag.get())}) {
        window->onSave = [this](const std::function<bool()>& write) {
            return m_model.SaveTags(write);
        };
        window->onWarning = [this](const std::string& text) { ShowWarning(text); };
    }
    // The MP3 window first, as the refresh visits them.
    m_model.SetTagWindows({m_frmMP3Tag.get(), m_frmOGGTag.get()});
}

void TfrmMain::OpenTags(int row) {
    try {
        if (row < 0 || row >= Playlist().Count())
            return;
        const std::string path = Playlist().At(row).path;
        const std::string ext = core::LowerExtension(path);
        tags::windows::TagWindow* window = nullptr;
        if (ext == ".mp3" || ext == ".mp2")
            window = m_frmMP3Tag.get();
        else if (ext == ".ogg")
            window = m_frmOGGTag.get();
        if (!window)
            return;
        window->SetPath(path);
        window->ReadTags();
        window->show();
        window->raise();
        window->activateWindow();
        m_model.SetTagRow(row);
    } catch (...) {
        // Opening a tag window never bothers the user with a message.
    }
}

}  // namespace tv::ui
