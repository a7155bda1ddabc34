#pragma once
// The main window: it holds a run's settings (input, output, the two coordinate systems, the output
// step, background colour, "Only headers" and how the output stores its cells), keeps them in the
// settings file, owns the catalogue and the selection the worker reads, and starts, stops and shows the
// progress of the worker.

#include "app/app_files.hpp"
#include "app/window_job.hpp"
#include "job/input_description.hpp"
#include "job/job_options.hpp"
#include "job/output_options.hpp"
#include "job/settings.hpp"

#include <QMainWindow>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace vortane {

class TAbout;
class TCSList;
class TChooseForm;
class TClickLabel;
class TFootprintMap;
class TOutputOptionsDialog;

class TForm1 : public QMainWindow {
public:
    // The height a window opens with; it grows when its content needs more, and during a run by the
    // progress controls' room.
    static constexpr int IdleHeight = 413;

    // Runs the start-up: settings, catalogue, the stored selection and the stored input's georeferencing.
    explicit TForm1(TAppFiles Files, QWidget* Parent = nullptr);
    // Waits for a run still going, then saves the settings.
    ~TForm1() override;

    const TJobSelection& Selection() const { return FSelection; }
    const TJobOptions& Options() const { return JobOptions; }
    const std::string& OutputName() const { return OutName; }
    // The output step typed by the user, read with the user's locale; false (step unchanged) when the
    // text is not a number.
    bool ReadStep();
    bool Running() const { return FJob.Running(); }

protected:
    void closeEvent(QCloseEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    void CreateActions();
    void CreateControls();
    void FormActivate();
    void ShowSettings();
    void ImportInput();
    void FollowOutputUnit();
    void UpdatePreview();
    QString LoadSettings(); // what of the stored settings was not taken, or empty
    void SaveSettings();
    void InputBtnClick();
    void TakeInput(const QString& FileName, int FilterIndex);
    void ShowRecentInputs();
    void OpenFolderClick();
    void OpenLogClick();
    void OutputBtnClick();
    void ChangeSystem(bool Input); // BitBtn1Click, BitBtn2Click
    void StartBtnClick();
    bool ConfirmReplacing();
    void ShowProgress(const TProgressView& View);
    void JobFinished(const std::string& Message);
    void ShowFailures();
    void SetRunning(bool Running);
    void FitProgress(bool Running);
    void Backgroundcolor1Click();
    void Onlyheaders1Click();
    void Exactprojections1Click();
    void AddResamplingMenu(QMenu& Menu);
    void ShowResampling();
    void Outputoptions1Click();
    void Exit1Click();
    void About1Click();
    void HelpClick();

    TAppFiles FFiles;
    std::string InName, OutName;
    // The settings as read: what the window does not edit (the ER Mapper convention, the sampling method,
    // keys of later versions) is written back as it was.
    TSettings FStoredSettings;
    std::string InSpheroidName, InDatumName, InProjectionName; // the output's three are in FSelection
    TJobOptions JobOptions;
    TOutputChoices FOutputChoices; // as the settings keep them; JobOptions.Creation holds them checked
    TJobSelection FSelection;
    double InputEasting = 0, InputNorthing = 0, InputStep = 0;
    QString FInputText;                      // what the input is, or empty when it could not be looked at
    std::optional<TInputDescription> FInput; // the same, for the preview
    QStringList FFailures;                   // of the current or last run, each naming its file
    bool FStepInRadians = false; // the unit JobOptions.Step is in, which the output system's may not be yet
    std::vector<TSystemNames> FRecentSystems; // chosen in the chooser, most recent first
    std::vector<std::string> FRecentInputs;
    std::unique_ptr<TCSList> Catalogue;
    bool FCloseAfterRun = false;
    int FHeightBeforeRun = 0, FRunHeight = 0; // what a run's progress controls made of the window

    QAction* InputBtn;
    QAction* OutputBtn;
    QAction* StartBtn;
    QAction* Start1;
    QAction* Exit1;
    QAction* Backgroundcolor1;
    QAction* Onlyheaders1;
    QAction* Exactprojections1;
    QAction* Outputoptions1;
    QAction* Help1;
    QAction* About1;
    QMenu* RecentInputs;
    QPushButton* OpenFolderBtn;
    QPushButton* OpenLogBtn;
    TClickLabel* Label1;
    TClickLabel* Label2;
    QLabel* Label21;
    QLabel* Label22;
    QLabel* Label23;
    QLabel* InputInfo;
    QLabel* StorageInfo; // how the output stores its cells, when not plain
    QLabel* Label10;
    QLabel* Label11;
    QLabel* Label12;
    QLabel* Label16;
    QLabel* Label17;
    QLabel* Label18;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QLineEdit* OutStep;
    QLabel* OutStepUnit;
    TFootprintMap* PreviewMap;
    QLabel* PreviewText;
    QProgressBar* Gauge1;
    QProgressBar* ListGauge; // a photo list's whole run
    QLabel* ListRemaining;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label24;
    QStatusBar* StatusBar1;
    QLabel* StatusPanel; // the one panel of StatusBar1
    TChooseForm* ChooseForm = nullptr;
    TAbout* About = nullptr;
    TOutputOptionsDialog* OutputOptions = nullptr;

    TWindowJob FJob; // last: a run still going ends before the rest is released
};

} // namespace vortane
