#pragma once

// The main window's first show and close as a small state machine. The first show lets events
// run (titles fill in, a command-line file starts), so a close can arrive in the middle of it
// (a termination signal at start): that close is kept and carried out once the show is over,
// so that it really ends the program. A close while the close fade runs is refused; the first
// close closes the window when its fade is done.
//
// Threads: user-interface thread only.

namespace tv::ui {

class WindowLife {
public:
    enum class CloseAnswer { Defer, Refuse, Accept };

    // True once: the first show begins.
    bool BeginFirstShow() {
        if (!m_firstShow)
            return false;
        m_firstShow = false;
        m_inFirstShow = true;
        return true;
    }
    // The first show is over. True when a close came meanwhile and must follow now.
    bool EndFirstShow() {
        m_inFirstShow = false;
        return m_closeAfterShow;
    }
    // A close of the window; `closing` tells whether an earlier close is already fading.
    CloseAnswer RequestClose(bool closing) {
        if (m_inFirstShow) {
            m_closeAfterShow = true;
            return CloseAnswer::Defer;
        }
        return closing ? CloseAnswer::Refuse : CloseAnswer::Accept;
    }

private:
    bool m_firstShow = true;
    bool m_inFirstShow = false;
    bool m_closeAfterShow = false;
};

}  // namespace tv::ui
