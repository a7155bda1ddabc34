// Draws the desktop program's windows into PNG files for the documentation: the main window idle (with
// its preview) and during a run on a generated image, and the chooser's search and a selection on each
// of its other pages, and the output options of a cloud-optimised output.
// Usage: vortane-screenshots FOLDER (run with QT_QPA_PLATFORM=offscreen on a machine without display).
#include "app/chooser.hpp"
#include "app/main_window.hpp"
#include "app/output_options_dialog.hpp"
#include "catalogue/catalogue.hpp"
#include "job/sample_image.hpp"
#include "job/settings.hpp"
#include "text/strings.hpp"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QTabWidget>

#include <filesystem>
#include <iostream>

namespace {

using namespace vortane;

void ProcessEventsUntil(const std::function<bool()>& Done) {
    while (!Done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

bool Save(QWidget& Window, const std::string& FileName) {
    if (Window.grab().save(QString::fromStdString(FileName))) return true;
    std::cerr << "Cannot write " << FileName << "\n";
    return false;
}

void Select(QWidget& Chooser, const char* List, const QString& Line) {
    auto* Box = Chooser.findChild<QListWidget*>(List);
    const QList<QListWidgetItem*> Found = Box->findItems(Line, Qt::MatchStartsWith);
    if (!Found.isEmpty()) Box->setCurrentItem(Found.front());
}

// A run from UTM zone 34 into zone 35 on a generated image large enough to be caught half way.
bool MainWindowShots(const std::string& Work, const std::string& Folder) {
    TSampleImage Sample;
    Sample.Columns = 1600;
    Sample.Rows = 3000;
    std::string Error;
    if (!WriteSampleImage(Work + "sample.ers", Sample, Error)) {
        std::cerr << Error << "\n";
        return false;
    }
    WriteSettings({.InSpheroid = "WE",
                   .InDatum = "WGS84",
                   .InProjection = "NUTM34",
                   .OutSpheroid = "WE",
                   .OutDatum = "WGS84",
                   .OutProjection = "NUTM35",
                   .InName = Work + "sample.ers",
                   .OutName = Work + "sample_utm35.ers"},
                  Work + "vortane.ini");
    TForm1 Form({{Work + "vortane.ini", Work + "vortane.ini"}, DefaultCatalogueFolder(), ""});
    Form.show();
    QCoreApplication::processEvents();
    bool Saved = Save(Form, Folder + "main-window.png");
    auto* Gauge = Form.findChild<QProgressBar*>("Gauge1");
    Form.findChild<QAction*>("StartBtn")->trigger();
    ProcessEventsUntil([&] { return Gauge->value() >= 40 || !Form.Running(); });
    Saved = Save(Form, Folder + "main-window-running.png") && Saved;
    Form.close(); // stops the run and closes once it has ended
    ProcessEventsUntil([&] { return !Form.isVisible(); });
    return Saved;
}

bool ChooserShots(const std::string& Folder) {
    TCSList Catalogue;
    Catalogue.LoadAll(DefaultCatalogueFolder());
    TChooseForm Chooser(Catalogue, nullptr);
    Chooser.show();
    Chooser.findChild<QLineEdit*>("SearchBox")->setText("british");
    QCoreApplication::processEvents();
    bool Saved = Save(Chooser, Folder + "chooser-search.png");
    Chooser.findChild<QLineEdit*>("SearchBox")->clear();
    Select(Chooser, "SpheBox", "WGS 1984");
    Select(Chooser, "DatumBox", "WGS84 ");
    auto* Pages = Chooser.findChild<QTabWidget*>();
    Pages->setCurrentIndex(1);
    QCoreApplication::processEvents();
    Saved = Save(Chooser, Folder + "chooser-datum.png") && Saved;
    Pages->setCurrentIndex(2);
    Select(Chooser, "PrjTypeBox", "TRANSVERSE MERCATOR");
    Select(Chooser, "ProjBox", "NUTM35");
    QCoreApplication::processEvents();
    return Save(Chooser, Folder + "chooser-projection.png") && Saved;
}

bool OutputOptionsShot(const std::string& Folder) {
    TOutputOptionsDialog Dialog(nullptr);
    Dialog.Offer({.Cog = true, .NoData = "0", .Alpha = true});
    Dialog.show();
    QCoreApplication::processEvents();
    return Save(Dialog, Folder + "output-options.png");
}

} // namespace

int main(int Argc, char** Argv) {
    QApplication App(Argc, Argv);
    if (Argc != 2) {
        std::cerr << "usage: vortane-screenshots FOLDER\n";
        return 2;
    }
    const std::string Folder = std::string(Argv[1]) + "/";
    const std::filesystem::path Work = std::filesystem::temp_directory_path() / "vortane-screenshots";
    std::filesystem::create_directories(Work);
    std::filesystem::create_directories(Folder);
    const bool Saved =
        MainWindowShots(Work.string() + "/", Folder) && ChooserShots(Folder) && OutputOptionsShot(Folder);
    std::filesystem::remove_all(Work);
    return Saved ? 0 : 1;
}
