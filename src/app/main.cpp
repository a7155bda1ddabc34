// The desktop program: the main window, created after the application object, runs until it closes.
#include "app/app_files.hpp"
#include "app/main_window.hpp"

#include <QApplication>

int main(int Argc, char** Argv) {
    QApplication App(Argc, Argv);
    QApplication::setApplicationName("vortane");
    QApplication::setApplicationDisplayName("Vortane");
    QApplication::setDesktopFileName("vortane");
    vortane::TForm1 Form1(vortane::ProgramFiles());
    Form1.show();
    return QApplication::exec();
}
