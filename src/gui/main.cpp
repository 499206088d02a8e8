// tolvane: the desktop program. One argument (a folder) monetizes that
// folder and ends, as the file managers' "Monetize..." entry does;
// --unregister removes that entry for the current user without opening a
// window.
#include "TolvaneForm.h"

#include "app/ProgramInfo.h"
#include "app/StartUp.h"

#include <QApplication>
#include <QTimer>

#include <cstring>
#include <iostream>

int main(int argc, char** argv) {
    // Whatever the program was started for: what killed jobs left behind goes first.
    tolvane::app::RemoveLeftoverJobFolders();
    if (argc == 2 && std::strcmp(argv[1], "--unregister") == 0)
        return tolvane::app::UnregisterFolderMenu(std::cout, std::cerr);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tolvane");
    QApplication::setApplicationVersion(tolvane::app::kProgramVersion);
    // Ties the windows to the installed desktop entry (its icon, its name).
    QGuiApplication::setDesktopFileName(tolvane::app::kDesktopFileName);
    // The program ends when the start-up sequence or the main window says so,
    // not when its last visible window closes (none is visible before FormShow).
    QApplication::setQuitOnLastWindowClosed(false);
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();

    tolvane::gui::TTolvaneForm form(arguments);
    QObject::connect(&form, &tolvane::gui::TTolvaneForm::programEnded, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    QTimer::singleShot(0, &form, &tolvane::gui::TTolvaneForm::FormShow);
    return QApplication::exec();
}
