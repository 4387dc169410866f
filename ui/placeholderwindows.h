#pragma once

// The program's secondary windows, created once at start in their fixed order and kept
// hidden. Their content arrives with the parts that own them; the open-folder window already
// keeps its keys in settings.ini.

#include <QWidget>
#include <filesystem>

#include "core/settings.h"

namespace tv::ui {

// The open-folder window: reads its keys when created, writes them when destroyed (merged
// into settings.ini, keeping every other key).
class TfrmOpen : public QWidget {
public:
    TfrmOpen(std::filesystem::path settingsPath, QWidget* parent = nullptr);
    ~TfrmOpen() override;
    const core::OpenFolderSettings& Settings() const { return m_settings; }

private:
    std::filesystem::path m_settingsPath;
    core::OpenFolderSettings m_settings;
};

class TfrmEqualizer : public QWidget {};
class TfrmiMpeg : public QWidget {};
class TfrmMP3Tag : public QWidget {};
class TfrmVideo : public QWidget {};
class TfrmOGGTag : public QWidget {};
class TfrmAbout : public QWidget {};

}  // namespace tv::ui
