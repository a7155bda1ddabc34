// The GUI tests run on Qt's offscreen platform unless another is asked for, so they need no display.
#include <QApplication>

#include <gtest/gtest.h>

// Leaks LeakSanitizer must not count against the program: caches that Qt's platform plugins, fonts and
// the dynamic loader keep for the whole process and free with it (or never).
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

int main(int Argc, char** Argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(Argc, Argv);
    ::testing::InitGoogleTest(&Argc, Argv);
    return RUN_ALL_TESTS();
}
