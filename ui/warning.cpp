#include "ui/warning.h"

#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tv::ui {

namespace {

WarningSink& Sink() {
    static WarningSink sink;
    return sink;
}

bool WarningsToStderr() {
    const char* v = std::getenv("TORVANELL_WARNINGS_TO_STDERR");
    return v && std::strcmp(v, "1") == 0;
}

}  // namespace

void ShowWarning(const std::string& text, QWidget* owner) {
    if (Sink()) {
        Sink()(text);
        return;
    }
    if (WarningsToStderr()) {
        std::fprintf(stderr, "Torvanell: %s\n", text.c_str());
        std::fflush(stderr);
        return;
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Torvanell"), QString::fromStdString(text),
                    QMessageBox::Ok, owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.exec();
}

WarningSink SetWarningSink(WarningSink sink) {
    WarningSink previous = std::move(Sink());
    Sink() = std::move(sink);
    return previous;
}

void ReportException(const std::exception& e) {
    ShowWarning(e.what());
}

}  // namespace tv::ui
