// The main window and the chooser driven through their controls, with real runs of the worker.
#include "window_test_support.hpp"

#include "catalogue/catalogue.hpp"
#include "job/sample_image.hpp"
#include "job/settings.hpp"
#include "raster/data_set.hpp"
#include "raster/mapped_cell_file.hpp"
#include "support/utm_settings.hpp"

#include <QColorDialog>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QTreeWidget>
#include <QUrl>

#include <filesystem>

namespace vortane::test {
namespace {

const char* const SystemLabels[] = {"Label10", "Label11", "Label12", "Label16", "Label17", "Label18"};

class MainWindow : public WindowTest {
protected:
    // A settings file naming a generated input image (UTM zone 34 on WGS 84) and an output beside it;
    // the stored input names are other than the image's, which the start-up takes all the same.
    void PrepareRun(int Rows) {
        TSampleImage Sample;
        Sample.Columns = 40;
        Sample.Rows = Rows;
        std::string Error;
        ASSERT_TRUE(WriteSampleImage(Path("in.ers"), Sample, Error)) << Error;
        ASSERT_TRUE(
            WriteSettings(UtmSettings("NUTM33", "NUTM34", Path("in.ers"), Path("out.ers")), SettingsFile()));
    }

    // Starts a run and waits for its first progress hand-over.
    static void StartAndWaitForProgress(TForm1& Form) {
        Trigger(Form, "StartBtn");
        ASSERT_TRUE(Form.Running());
        ASSERT_TRUE(WaitFor([&] { return !Text(Form, "Label5").empty(); }));
    }
};

TEST_F(MainWindow, FirstStartWithoutSettingsShowsNothingChosenButFindsTheHub) {
    auto Form = NewForm();
    EXPECT_EQ(Form->windowTitle().toStdString(), "Vortane");
    for (const char* Label : SystemLabels)
        EXPECT_EQ(Text(*Form, Label), "Unknown") << Label;
    EXPECT_EQ(Text(*Form, "Label21"), "Easting:0.000");
    EXPECT_EQ(Text(*Form, "Label23"), "Step:0.000000");
    EXPECT_EQ(Child<QLineEdit>(*Form, "OutStep").text().toStdString(), "1");
    EXPECT_EQ(Text(*Form, "OutStepUnit"), "metres");
    EXPECT_FALSE(Child<QProgressBar>(*Form, "Gauge1").isVisible());
    ASSERT_NE(Form->Selection().HubSpheroid, nullptr);
    EXPECT_EQ(Form->Selection().HubSpheroid->Name, "WE");
    EXPECT_EQ(Form->Selection().InSpheroid, nullptr);
}

TEST_F(MainWindow, AMissingCatalogueIsReportedAndLeavesTheWindowUsable) {
    PrepareRun(30); // names the window cannot look up without a catalogue
    std::string Shown;
    WhenModal([&](QWidget& Box) {
        Shown = static_cast<QMessageBox&>(Box).text().toStdString();
        static_cast<QMessageBox&>(Box).accept();
    });
    auto Form = NewForm(Path("no catalogue") + "/");
    EXPECT_EQ(Shown, "Error loading files");
    for (const char* Label : SystemLabels)
        EXPECT_EQ(Text(*Form, Label), "Unknown") << Label;
    EXPECT_EQ(Form->Selection().HubSpheroid, nullptr);
    EXPECT_TRUE(Child<QAction>(*Form, "StartBtn").isEnabled());
}

TEST_F(MainWindow, TheChooserSetsASelectionOnlyWithOk) {
    auto Form = NewForm();
    const TChoice Zone35{"WGS 1984", "WGS84", "TRANSVERSE MERCATOR", "NUTM35"};
    WhenModal([&](QWidget& Chooser) {
        ChooseChain(Chooser, Zone35);
        QTest::mouseClick(&Child<QPushButton>(Chooser, "OkBitBtn"), Qt::LeftButton);
    });
    Child<QPushButton>(*Form, "BitBtn2").click();
    EXPECT_EQ(Text(*Form, "Label16"), "WGS 1984");
    EXPECT_EQ(Text(*Form, "Label17"), "WGS84");
    EXPECT_EQ(Text(*Form, "Label18"), "NUTM35");
    ASSERT_NE(Form->Selection().OutProjection, nullptr);
    EXPECT_EQ(Form->Selection().OutProjection->Name, "NUTM35");
    EXPECT_EQ(Form->Selection().OutProjectionName, "NUTM35");

    // A new spheroid empties the projection list and takes OK away again; Cancel changes nothing.
    WhenModal([&](QWidget& Chooser) {
        EXPECT_EQ(Child<QListWidget>(Chooser, "DatumBox").count(), 0); // every opening starts empty
        ChooseChain(Chooser, Zone35);
        ClickLine(Child<QListWidget>(Chooser, "SpheBox"), "International 1924");
        EXPECT_EQ(Child<QListWidget>(Chooser, "ProjBox").count(), 0);
        EXPECT_FALSE(Child<QPushButton>(Chooser, "OkBitBtn").isEnabled());
        QTest::keyClick(&Chooser, Qt::Key_Escape);
    });
    Child<QPushButton>(*Form, "BitBtn1").click();
    EXPECT_EQ(Text(*Form, "Label12"), "Unknown");
    EXPECT_EQ(Form->Selection().InProjection, nullptr);
}

// Typing a code or a name chooses the first hit, which Enter takes, also a published system whose
// spheroid the catalogue offers no such type on (UTM on NAD27); the next opening shows the current
// choice and offers the recent ones first.
TEST_F(MainWindow, TheSearchFindsASystemByCodeOrNameAndEnterTakesIt) {
    auto Form = NewForm();
    const struct {
        const char* Button;
        const char* Typed;
        const char* System;
        const char* Code;
        const char* SystemLabel;
    } Searches[] = {{"BitBtn1", "british", "BNG", "27700", "Label12"},
                    {"BitBtn2", "27700", "BNG", "27700", "Label18"},
                    {"BitBtn1", "26715", "NUTM15", "26715", "Label12"}};
    for (const auto& Search : Searches) {
        WhenModal([&](QWidget& Chooser) {
            auto& Box = Child<QLineEdit>(Chooser, "SearchBox");
            QTest::keyClicks(&Box, Search.Typed);
            const QTreeWidgetItem* Hit = Child<QTreeWidget>(Chooser, "SearchList").currentItem();
            EXPECT_EQ(Hit ? Hit->text(0).toStdString() : "", Search.System);
            EXPECT_EQ(Hit ? Hit->text(2).toStdString() : "", Search.Code);
            QTest::keyClick(&Box, Qt::Key_Return);
        });
        Child<QPushButton>(*Form, Search.Button).click();
        EXPECT_EQ(Text(*Form, Search.SystemLabel), Search.System) << Search.Typed;
    }
    EXPECT_EQ(Text(*Form, "Label11"), "NAD27");
    EXPECT_EQ(Text(*Form, "Label17"), "OSGB36");

    WhenModal([&](QWidget& Chooser) {
        auto& List = Child<QTreeWidget>(Chooser, "SearchList");
        EXPECT_EQ(List.topLevelItem(0)->text(0), "NUTM15");
        EXPECT_EQ(List.currentItem() ? List.currentItem()->text(0) : "", "BNG");
        const QList<QListWidgetItem*> Datum = Child<QListWidget>(Chooser, "DatumBox").selectedItems();
        EXPECT_TRUE(Datum.size() == 1 && Datum.front()->text().startsWith("OSGB36 "));
        EXPECT_TRUE(Child<QPushButton>(Chooser, "OkBitBtn").isEnabled());
        QTest::keyClick(&Chooser, Qt::Key_Escape);
    });
    Child<QPushButton>(*Form, "BitBtn2").click();
    Form.reset(); // saves the settings
    const std::vector<TSystemNames> Recent = ReadSettings(SettingsFile()).RecentSystems;
    ASSERT_EQ(Recent.size(), 2u);
    EXPECT_EQ(Recent[0], (TSystemNames{"CC", "NAD27", "NUTM15"}));
    EXPECT_EQ(Recent[1].Projection, "BNG");
}

TEST_F(MainWindow, ARunEndsWithItsStatusAndKeepsTheChosenNames) {
    PrepareRun(30);
    auto Form = NewForm();
    EXPECT_EQ(Text(*Form, "Label12"), "NUTM34"); // from the image's header
    EXPECT_EQ(Text(*Form, "Label23"), "Step:25.000000");
    WhenModal([&](QWidget& Chooser) {
        ChooseChain(Chooser, {"WGS 1984", "WGS84", "TRANSVERSE MERCATOR", "NUTM35"});
        QTest::mouseClick(&Child<QPushButton>(Chooser, "OkBitBtn"), Qt::LeftButton);
    });
    Child<QPushButton>(*Form, "BitBtn2").click();
    const std::string Preview = Text(*Form, "PreviewText");
    const int IdleHeight = Form->height();
    Trigger(*Form, "StartBtn");
    EXPECT_GE(Form->height(), Form->sizeHint().height()); // nothing squeezed by the progress
    EXPECT_LE(Form->minimumSizeHint().width(), 800);
    EXPECT_LE(Form->minimumSizeHint().height(), 560); // an 800 x 600 screen, less a title bar
    EXPECT_TRUE(Child<QProgressBar>(*Form, "Gauge1").isVisible());
    EXPECT_FALSE(Child<QAction>(*Form, "InputBtn").isEnabled());
    EXPECT_FALSE(Child<QAction>(*Form, "Start1").isEnabled());
    EXPECT_TRUE(Child<QAction>(*Form, "StartBtn").isEnabled()); // the stop button
    EXPECT_FALSE(Child<QPushButton>(*Form, "OpenLogBtn").isVisible());
    ASSERT_TRUE(WaitFor([&] { return !Form->Running(); }));
    EXPECT_EQ(Status(*Form), "Successful Finish");
    EXPECT_TRUE(Child<QPushButton>(*Form, "OpenLogBtn").isVisible());
    EXPECT_TRUE(Child<QPushButton>(*Form, "OpenFolderBtn").isVisible());
    EXPECT_EQ(Form->height(), IdleHeight);
    EXPECT_FALSE(Child<QProgressBar>(*Form, "Gauge1").isVisible());
    EXPECT_TRUE(Child<QAction>(*Form, "InputBtn").isEnabled());
    EXPECT_GT(std::filesystem::file_size(Path("out")), 0u);
    EXPECT_TRUE(std::filesystem::exists(Path("out.log")));
    // The preview named the size the run wrote, and follows the step as it is typed.
    TDataSet2 Out;
    ASSERT_TRUE(Out.Open(Path("out.ers"), 0, 0, 1, 1, omRead));
    const std::string Size = "Output: " + std::to_string(Out.GetColumns()) + " x " +
                             std::to_string(Out.GetRows()) + " x " + std::to_string(Out.GetBands()) +
                             " cells, ";
    EXPECT_EQ(Preview.rfind(Size, 0), 0u) << Preview;
    auto& Step = Child<QLineEdit>(*Form, "OutStep");
    Step.selectAll();
    QTest::keyClicks(&Step, "50");
    EXPECT_NE(
        Text(*Form, "PreviewText").rfind("Output: " + std::to_string(Out.GetColumns() / 2 + 1) + " x ", 0),
        std::string::npos);

    Form->resize(1000, 900); // a maximised window uses the screen
    EXPECT_EQ(Form->height(), 900);

    const TSettings Saved = ReadSettings(SettingsFile());
    EXPECT_EQ(Saved.InProjection, "NUTM33");  // the header's choice is not stored
    EXPECT_EQ(Saved.OutProjection, "NUTM35"); // the chooser's
    EXPECT_EQ(Saved.OutDatum, "WGS84");
    EXPECT_EQ(Saved.OutName, Path("out.ers"));
}

TEST_F(MainWindow, SettingsTheWindowDoesNotEditSurviveItsSaveAndTheResamplingMenuSetsOne) {
    TSettings Stored = UtmSettings("NUTM33", "NUTM34", Path("in.ers"), Path("out.ers"));
    Stored.Resampling = "cubic";
    Stored.ErsRegistration = "centre";
    ASSERT_TRUE(WriteSettings(Stored, SettingsFile()));
    NewForm().reset(); // the window saves its settings as it closes
    EXPECT_EQ(ReadSettings(SettingsFile()).Resampling, "cubic");
    EXPECT_EQ(ReadSettings(SettingsFile()).ErsRegistration, "centre");

    auto Form = NewForm(); // the stored method is the checked one, and a new choice is stored
    EXPECT_TRUE(Child<QAction>(*Form, "Resampling_cubic").isChecked());
    Trigger(*Form, "Resampling_lanczos");
    EXPECT_FALSE(Child<QAction>(*Form, "Resampling_cubic").isChecked());
    Form.reset();
    EXPECT_EQ(ReadSettings(SettingsFile()).Resampling, "lanczos");
}

TEST_F(MainWindow, APhotoListPickedThroughItsFilterOrAllFilesRunsToTheEnd) {
    for (const int Filter : {3, 2}) { // "Photo list", "All files"
        SCOPED_TRACE(Filter);
        const std::string Out = Path("out" + std::to_string(Filter)) + "/";
        std::filesystem::create_directories(Out);
        PrepareRun(30);
        std::filesystem::copy_file(Path("in.ers"), Path("second.ers"),
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::copy_file(Path("in"), Path("second"),
                                   std::filesystem::copy_options::overwrite_existing);
        WriteFile("list.txt", "in.ers\r\nsecond.ers\r\n"); // names only: its content alone does not tell
        auto Form = NewForm();
        WhenModal([&](QWidget& Dialog) { ChooseFile(Dialog, 1, Out + "result"); });
        Trigger(*Form, "OutputBtn");
        WhenModal([&](QWidget& Dialog) { ChooseFile(Dialog, Filter, Path("list.txt")); });
        Trigger(*Form, "InputBtn");
        EXPECT_TRUE(Form->Options().List);
        Trigger(*Form, "StartBtn");
        auto& Whole = Child<QProgressBar>(*Form, "ListGauge");
        EXPECT_TRUE(Whole.isVisible());
        ASSERT_TRUE(WaitFor([&] { return !Form->Running(); }));
        EXPECT_EQ(Status(*Form), "Successful Finish");
        EXPECT_EQ(Whole.value(), 100); // the whole list, shown until its end
        EXPECT_FALSE(Whole.isVisible());
        for (const char* Written : {"in.osd", "second.osd", "result.txt"})
            EXPECT_TRUE(std::filesystem::exists(Out + Written)) << Written;
    }
}

TEST_F(MainWindow, AnOutputTypedWithoutExtensionTakesTheFormatOfTheChosenFilter) {
    auto Form = NewForm();
    const char* const Extensions[] = {".osd", ".tif", ".bmp", ".ers", ".jpg",
                                      ".dtm", ".ecw", ".rsw", ".001", ".veg"};
    for (int Filter = 1; Filter <= 10; ++Filter) {
        WhenModal([&](QWidget& Dialog) { ChooseFile(Dialog, Filter, Path("out")); });
        Trigger(*Form, "OutputBtn");
        EXPECT_EQ(Form->OutputName(), Path("out") + Extensions[Filter - 1]);
    }
}

TEST_F(MainWindow, TheStepFollowsTheOutputSystemBetweenMetresAndRadians) {
    PrepareRun(30); // cells of 25 m in zone 34, near 52 degrees north
    auto Form = NewForm();
    auto& Step = Child<QLineEdit>(*Form, "OutStep");
    const auto ChooseOutput = [&](const TChoice& Choice) {
        WhenModal([&](QWidget& Chooser) {
            ChooseChain(Chooser, Choice);
            QTest::mouseClick(&Child<QPushButton>(Chooser, "OkBitBtn"), Qt::LeftButton);
        });
        Child<QPushButton>(*Form, "BitBtn2").click();
    };
    const TChoice Geographic{"WGS 1984", "WGS84", "GEOGRAPHIC", "Geographic:(decimal degrees)"};
    const TChoice Zone35{"WGS 1984", "WGS84", "TRANSVERSE MERCATOR", "NUTM35"};
    const double Radians = 25 / 6378137.0; // 25 m on the semi-major axis of WGS 84

    ChooseOutput(Geographic);
    EXPECT_EQ(Form->Options().Step, Radians);
    EXPECT_EQ(Text(*Form, "OutStepUnit"), "radians");
    ASSERT_TRUE(Form->ReadStep()); // the box holds every digit
    EXPECT_EQ(Form->Options().Step, Radians);
    ChooseOutput(Geographic); // radians to radians: unchanged
    EXPECT_EQ(Form->Options().Step, Radians);
    Step.setText("50"); // typed in the old output's unit
    ChooseOutput(Zone35);
    EXPECT_NEAR(Form->Options().Step, 50 * 6378137.0, 1e-6);
    EXPECT_EQ(Text(*Form, "OutStepUnit"), "metres");

    Step.setText("25");
    ChooseOutput(Geographic);
    Trigger(*Form, "StartBtn");
    ASSERT_TRUE(WaitFor([&] { return !Form->Running(); }));
    EXPECT_EQ(Status(*Form), "Successful Finish");
    TDataSet2 Out;
    ASSERT_TRUE(Out.Open(Path("out.ers"), 0, 0, 1, 1, omRead));
    EXPECT_DOUBLE_EQ(Out.GetCellSizeX(), Radians);
    // 40 x 30 cells of 25 m: a radian of latitude there is about 6.38e6 m and one of longitude about
    // 3.93e6 m, so about 30 rows and 64 columns, a few more for the turn between the two grids.
    EXPECT_GE(Out.GetRows(), 30);
    EXPECT_LE(Out.GetRows(), 36);
    EXPECT_GE(Out.GetColumns(), 63);
    EXPECT_LE(Out.GetColumns(), 72);
}

TEST_F(MainWindow, ABadInputClearsWhatTheLastOneShowedAndAFailedStartSaysWhy) {
    PrepareRun(30);
    auto Form = NewForm();
    EXPECT_EQ(Text(*Form, "InputInfo")
                  .rfind("40 \u00D7 30 cells, 3 bands, UNSIGNED8BITINTEGER; west 470000.000, "
                         "north 5790000.000, east 471000.000, south 5789250.000",
                         0),
              0u)
        << Text(*Form, "InputInfo");
    EXPECT_TRUE(Text(*Form, "InputInfo")
                    .ends_with("; its file names spheroid WE, datum WGS84, system NUTM34 (EPSG:32634), taken "
                               "as the input system"))
        << Text(*Form, "InputInfo");
    EXPECT_EQ(Text(*Form, "Label21"), "Easting:470000.000");

    std::filesystem::copy_file(Path("in.ers"), Path("bad.ers")); // a header without its cell file
    TDataSet2 Probe;
    ASSERT_FALSE(Probe.Open(Path("bad.ers"), 0, 0, 1, 1, omRead));
    const std::string Reason = Path("bad.ers") + ": " + Probe.GetErrorText(); // as vortane-cli prints it
    WhenModal([&](QWidget& Dialog) { ChooseFile(Dialog, 1, Path("bad.ers")); });
    Trigger(*Form, "InputBtn");
    EXPECT_EQ(Status(*Form), Reason);
    EXPECT_EQ(Text(*Form, "Label21"), "Easting:0.000");
    EXPECT_EQ(Text(*Form, "InputInfo"), "");

    Trigger(*Form, "StartBtn");
    ASSERT_TRUE(WaitFor([&] { return !Form->Running(); }));
    EXPECT_EQ(Status(*Form), Reason);
    auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(Box, nullptr);
    EXPECT_EQ(Box->text().toStdString(), Reason);
    Box->accept();
}

// Drags File onto Window and drops it there, as the platform delivers it: the drop goes to the widget
// that accepted the drag.
void DropFile(QWidget& Window, const std::string& File) {
    QMimeData Dragged;
    Dragged.setUrls({QUrl::fromLocalFile(QString::fromStdString(File))});
    QDragEnterEvent Enter(QPoint(10, 10), Qt::CopyAction, &Dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Window, &Enter);
    ASSERT_TRUE(Enter.isAccepted());
    QDropEvent Drop(QPointF(10, 10), Qt::CopyAction, &Dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Window, &Drop);
}

// A dropped file is the input, and it is offered again under File, Recent inputs, also after a restart.
TEST_F(MainWindow, ADroppedFileBecomesTheInputAndARecentOne) {
    PrepareRun(30);
    TSampleImage Sample;
    std::string Error;
    for (const char* Name : {"dropped.ers", "other.ers"})
        ASSERT_TRUE(WriteSampleImage(Path(Name), Sample, Error)) << Error;
    auto Form = NewForm();
    DropFile(*Form, Path("dropped.ers"));
    EXPECT_EQ(Text(*Form, "Label1"), Path("dropped.ers"));

    Form.reset();
    Form = NewForm();
    auto& Recent = Child<QMenu>(*Form, "RecentInputs");
    emit Recent.aboutToShow();
    ASSERT_EQ(Recent.actions().size(), 1);
    EXPECT_EQ(Recent.actions().front()->text().toStdString(), Path("dropped.ers"));
    DropFile(*Form, Path("other.ers"));
    emit Recent.aboutToShow();
    ASSERT_EQ(Recent.actions().size(), 2);
    Recent.actions().back()->trigger(); // the older one
    EXPECT_EQ(Text(*Form, "Label1"), Path("dropped.ers"));
    emit Recent.aboutToShow();
    EXPECT_EQ(Recent.actions().front()->text().toStdString(), Path("dropped.ers"));
}

TEST_F(MainWindow, AnExistingOutputIsReplacedOnlyWhenTheUserSaysSo) {
    PrepareRun(30);
    WriteFile("out.ers", "an older image");
    auto Form = NewForm();
    for (const QMessageBox::StandardButton Answer : {QMessageBox::No, QMessageBox::Yes}) {
        std::string Named;
        WhenModal([&](QWidget& Box) {
            Named = static_cast<QMessageBox&>(Box).informativeText().toStdString();
            static_cast<QMessageBox&>(Box).button(Answer)->click();
        });
        Trigger(*Form, "StartBtn");
        EXPECT_NE(Named.find(Path("out.ers")), std::string::npos) << Named;
        ASSERT_TRUE(WaitFor([&] { return !Form->Running(); }));
    }
    EXPECT_EQ(Status(*Form), "Successful Finish");
    EXPECT_GT(std::filesystem::file_size(Path("out")), 0u);
}

TEST_F(MainWindow, AboutShowsTheBuildsVersion) {
    auto Form = NewForm();
    std::string Shown;
    WhenModal([&](QWidget& About) {
        Shown = Text(About, "NameLabel");
        static_cast<QDialog&>(About).accept();
    });
    Trigger(*Form, "About1");
    EXPECT_EQ(Shown, "Vortane v " VORTANE_VERSION);
}

TEST_F(MainWindow, StopDuringARunEndsItWithUserAbort) {
    PrepareRun(2000);
    auto Form = NewForm();
    StartAndWaitForProgress(*Form);
    Trigger(*Form, "StartBtn");
    ASSERT_TRUE(WaitFor([&] { return !Form->Running(); }));
    EXPECT_EQ(Status(*Form), "User Abort");
}

TEST_F(MainWindow, ClosingDuringARunStopsItAndClosesAfterTheEndEvent) {
    PrepareRun(2000);
    auto Form = NewForm();
    StartAndWaitForProgress(*Form);
    EXPECT_FALSE(Form->close());
    EXPECT_TRUE(Form->isVisible());
    ASSERT_TRUE(WaitFor([&] { return !Form->isVisible(); }));
    EXPECT_FALSE(Form->Running());
    EXPECT_EQ(Status(*Form), "User Abort");
    EXPECT_TRUE(Form->close()); // idle: nothing holds it
}

TEST_F(MainWindow, TheStepIsReadWithTheUsersDecimalMark) {
    const QLocale Before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto Form = NewForm();
    auto& Step = Child<QLineEdit>(*Form, "OutStep");
    EXPECT_EQ(Step.text().toStdString(), "1");
    Step.setText("12,5");
    EXPECT_TRUE(Form->ReadStep());
    EXPECT_EQ(Form->Options().Step, 12.5);
    Trigger(*Form, "Onlyheaders1"); // redraws the box
    EXPECT_EQ(Step.text().toStdString(), "12,5");
    Step.setText("12.5");
    EXPECT_FALSE(Form->ReadStep());
    EXPECT_EQ(Form->Options().Step, 12.5);

    std::string Shown;
    WhenModal([&](QWidget& Box) {
        Shown = static_cast<QMessageBox&>(Box).text().toStdString();
        static_cast<QMessageBox&>(Box).accept();
    });
    Trigger(*Form, "StartBtn");
    EXPECT_EQ(Shown, "'12.5' is not a valid floating point value");
    EXPECT_FALSE(Form->Running());
    QLocale::setDefault(Before);
}

TEST_F(MainWindow, TheBackgroundColourKeepsRedInTheLowByte) {
    auto Form = NewForm();
    WhenModal([](QWidget& Dialog) {
        static_cast<QColorDialog&>(Dialog).setCurrentColor(QColor(0x11, 0x22, 0x33));
        static_cast<QColorDialog&>(Dialog).accept();
    });
    Trigger(*Form, "Backgroundcolor1");
    EXPECT_EQ(Form->Options().BackGround, 0x332211);
}

} // namespace
} // namespace vortane::test
