#include "ui/placeholderwindows.h"

#include <cstdio>

namespace tv::ui {

TfrmOpen::TfrmOpen(std::filesystem::path settingsPath, QWidget* parent)
    : QWidget(parent), m_settingsPath(std::move(settingsPath)) {
    core::IniFile ini;
    ini.Load(m_settingsPath);
    m_settings = core::LoadOpenFolderSettings(ini);
    setWindowTitle(QStringLiteral("Open folder"));
    setGeometry(m_settings.openPosX, m_settings.openPosY, m_settings.openWidth,
                m_settings.openHeight);
}

TfrmOpen::~TfrmOpen() {
    core::IniFile ini;
    ini.Load(m_settingsPath);
    m_settings.openWidth = width();
    m_settings.openHeight = height();
    m_settings.openPosX = x();
    m_settings.openPosY = y();
    core::StoreOpenFolderSettings(ini, m_settings);
    std::string error;
    if (!ini.Save(m_settingsPath, &error))
        std::fprintf(stderr, "Torvanell: settings not saved: %s\n", error.c_str());
}

}  // namespace tv::ui
