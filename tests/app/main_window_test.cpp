// The main window and the chooser driven through their controls, with real runs of the worker.
#include "window_test_support.hpp"

#include "catalogue/catalogue.hpp"
#include "job/sample_image.hpp"
#include "job/settings.hpp"
#include "support/utm_settings.hpp"

#include <QColorDialog>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QProgressBar>

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
    EXPECT_EQ(Form->height(), TForm1::IdleHeight);
    for (const char* Label : SystemLabels)
        EXPECT_EQ(Text(*Form, Label), "Unknown") << Label;
    EXPECT_EQ(Text(*Form, "Label21"), "Easting:0.000");
    EXPECT_EQ(Text(*Form, "Label23"), "Step:0.000000");
    EXPECT_EQ(Child<QLineEdit>(*Form, "OutStep").text().toStdString(), "1.000000");
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
    Trigger(*Form, "StartBtn");
    EXPECT_EQ(Form->height(), TForm1::RunningHeight);
    EXPECT_TRUE(Child<QProgressBar>(*Form, "Gauge1").isVisible());
    EXPECT_FALSE(Child<QAction>(*Form, "InputBtn").isEnabled());
    EXPECT_FALSE(Child<QAction>(*Form, "Start1").isEnabled());
    EXPECT_TRUE(Child<QAction>(*Form, "StartBtn").isEnabled()); // the stop button
    ASSERT_TRUE(WaitFor([&] { return !Form->Running(); }));
    EXPECT_EQ(Status(*Form), "Successful Finish");
    EXPECT_EQ(Form->height(), TForm1::IdleHeight);
    EXPECT_FALSE(Child<QProgressBar>(*Form, "Gauge1").isVisible());
    EXPECT_TRUE(Child<QAction>(*Form, "InputBtn").isEnabled());
    EXPECT_GT(std::filesystem::file_size(Path("out")), 0u);
    EXPECT_TRUE(std::filesystem::exists(Path("out.log")));

    const TSettings Saved = ReadSettings(SettingsFile());
    EXPECT_EQ(Saved.InProjection, "NUTM33");  // the header's choice is not stored
    EXPECT_EQ(Saved.OutProjection, "NUTM35"); // the chooser's
    EXPECT_EQ(Saved.OutDatum, "WGS84");
    EXPECT_EQ(Saved.OutName, Path("out.ers"));
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
    EXPECT_EQ(Step.text().toStdString(), "1,000000");
    Step.setText("12,5");
    EXPECT_TRUE(Form->ReadStep());
    EXPECT_EQ(Form->Options().Step, 12.5);
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
