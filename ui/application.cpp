#include "ui/application.h"

#include <exception>

#include "ui/warning.h"

namespace tv::ui {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ReportException(e);
    } catch (...) {
        ShowWarning("Unknown error");
    }
    return false;
}

}  // namespace tv::ui
