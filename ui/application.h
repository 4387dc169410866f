#pragma once

// The application object: turns any exception that escapes an event handler into a warning
// box (ReportException) and lets the program go on.

#include <QApplication>

namespace tv::ui {

class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace tv::ui
