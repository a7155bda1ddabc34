#pragma once
// Driving the desktop program's windows in tests: a main window on a settings file of the test's own
// and the built catalogue, named controls, answers to modal windows, and waits for events (never for
// a fixed time).

#include "app/chooser.hpp"
#include "app/main_window.hpp"
#include "support/temp_dir.hpp"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace vortane::test {

// Waits, processing events, until Done holds; false after a generous limit (a hung run).
inline bool WaitFor(const std::function<bool()>& Done) {
    return QTest::qWaitFor(Done, 120'000);
}

// The named child; fails the test when it is missing.
template <class T> T& Child(QObject& Parent, const char* Name) {
    T* Found = Parent.findChild<T*>(Name);
    if (!Found) throw std::runtime_error(std::string("no control ") + Name);
    return *Found;
}

inline std::string Text(QObject& Parent, const char* LabelName) {
    return Child<QLabel>(Parent, LabelName).text().toStdString();
}

// Runs Answer on the next modal window once it is showing (the caller then opens it).
inline void WhenModal(std::function<void(QWidget&)> Answer) {
    QTimer::singleShot(0, [Answer = std::move(Answer)] {
        QWidget* Modal = nullptr;
        if (!WaitFor([&] { return (Modal = QApplication::activeModalWidget()) != nullptr; })) return;
        Answer(*Modal);
    });
}

// Clicks the line of List whose text is Line (or, with Prefix, starts with it).
inline void ClickLine(QListWidget& List, const std::string& Line, bool Prefix = false) {
    for (int Row = 0; Row < List.count(); ++Row) {
        const std::string Shown = List.item(Row)->text().toStdString();
        if (Prefix ? Shown.rfind(Line, 0) == 0 : Shown == Line) {
            List.scrollToItem(List.item(Row));
            QTest::mouseClick(List.viewport(), Qt::LeftButton, {},
                              List.visualItemRect(List.item(Row)).center());
            return;
        }
    }
    ADD_FAILURE() << "no line " << Line;
}

struct TChoice {
    std::string Spheroid; // description
    std::string Datum;    // name
    std::string Type;
    std::string System;
};

// Clicks the chain of the chooser, spheroid first. Opened without a current choice, OK must be
// disabled until the last click.
inline void ChooseChain(QWidget& Chooser, const TChoice& Choice) {
    auto& Ok = Child<QPushButton>(Chooser, "OkBitBtn");
    auto& Pages = *Chooser.findChild<QTabWidget*>();
    const bool Fresh = !Ok.isEnabled();
    Pages.setCurrentIndex(1);
    ClickLine(Child<QListWidget>(Chooser, "SpheBox"), Choice.Spheroid);
    EXPECT_FALSE(Fresh && Ok.isEnabled());
    ClickLine(Child<QListWidget>(Chooser, "DatumBox"), Choice.Datum + " ", true);
    EXPECT_FALSE(Fresh && Ok.isEnabled());
    Pages.setCurrentIndex(2);
    ClickLine(Child<QListWidget>(Chooser, "PrjTypeBox"), Choice.Type);
    EXPECT_FALSE(Fresh && Ok.isEnabled());
    ClickLine(Child<QListWidget>(Chooser, "ProjBox"), Choice.System);
    EXPECT_TRUE(Ok.isEnabled());
}

// Chooses a file in Qt's own file dialog as a user does: the filter (from 1) in its list, then the file
// (selected in the list, or its name in the name box when it does not exist), then the dialog's OK.
inline void ChooseFile(QWidget& Dialog, int Filter, const std::string& Name) {
    auto& Types = Child<QComboBox>(Dialog, "fileTypeCombo");
    Types.setCurrentIndex(Filter - 1);
    emit Types.activated(Filter - 1);
    static_cast<QFileDialog&>(Dialog).selectFile(QString::fromStdString(Name));
    QMetaObject::invokeMethod(&Dialog, "accept"); // what its Open or Save button does
}

class WindowTest : public TTempDirTest {
protected:
    std::string SettingsFile() const { return Path("vortane.ini"); }

    std::unique_ptr<TForm1> NewForm(const std::string& CatalogueFolder = VORTANE_BINARY_DIR "/bin/") {
        TAppFiles Files{{SettingsFile(), SettingsFile()}, CatalogueFolder, ""};
        auto Form = std::make_unique<TForm1>(Files);
        Form->show();
        return Form;
    }

    static void Trigger(TForm1& Form, const char* ActionName) { Child<QAction>(Form, ActionName).trigger(); }
    static std::string Status(TForm1& Form) { return Text(Form, "StatusPanel"); }
};

} // namespace vortane::test
