// The desktop program: the main window, created after the application object, runs until it closes.
#include "app/app_files.hpp"
#include "app/main_window.hpp"

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

// --help and --version are answered before any window system is touched, so they work on a plain
// terminal too (the man page is made from them).
bool AnsweredOnTerminal(int Argc, char** Argv) {
    if (Argc != 2) return false;
    if (std::strcmp(Argv[1], "--version") == 0) {
        std::printf("vortane %s\n", VORTANE_VERSION);
        return true;
    }
    if (std::strcmp(Argv[1], "--help") != 0 && std::strcmp(Argv[1], "-h") != 0) return false;
    std::printf(
        "Usage: vortane [--help | --version]\n"
        "Carries georeferenced raster images from one coordinate system into another: pick the input\n"
        "image (or a photo list), the output, and the spheroid, datum and projection of both ends, then\n"
        "start the job. Each run writes a log beside its output; a photo list run also writes a report\n"
        "of every output with its extent.\n"
        "\n"
        "The selection is kept in vortane.ini beside the program, or in the user's configuration folder\n"
        "when that folder cannot be written. The catalogue files are read from the program's own\n"
        "folder, else from ../share/vortane beside it.\n"
        "\n"
        "Options:\n"
        "  -h, --help     show this help and exit\n"
        "  --version      show the version and exit\n"
        "\n"
        "The same jobs run without a window with vortane-cli (see vortane-cli --help).\n");
    return true;
}

} // namespace

int main(int Argc, char** Argv) {
    // Over a file size limit (ulimit -f) a write must fail with EFBIG, which the run reports with its
    // file, instead of the signal ending the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    if (AnsweredOnTerminal(Argc, Argv)) return 0;
    QApplication App(Argc, Argv);
    QApplication::setApplicationName("vortane");
    QApplication::setApplicationDisplayName("Vortane");
    QApplication::setDesktopFileName("vortane");
    vortane::TForm1 Form1(vortane::ProgramFiles());
    Form1.show();
    return QApplication::exec();
}
