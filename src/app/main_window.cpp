#include "app/main_window.hpp"

#include "app/about_box.hpp"
#include "app/chooser.hpp"
#include "app/click_label.hpp"
#include "app/file_filters.hpp"
#include "app/footprint_map.hpp"
#include "app/output_options_dialog.hpp"
#include "catalogue/catalogue.hpp"
#include "job/file_crs.hpp"
#include "job/input_description.hpp"
#include "job/list_batch.hpp"
#include "job/output_checks.hpp"
#include "job/output_plan.hpp"
#include "job/step_units.hpp"
#include "raster/ers/ers_map.hpp"
#include "text/strings.hpp"
#include "text/types.hpp"

#include <QActionGroup>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>
#include <filesystem>
#include <tuple>

namespace vortane {

namespace {

const char* const Unknown = "Unknown";

QString ToQ(const std::string& Text) {
    return QString::fromStdString(Text);
}

// Fixed-point text with the user's decimal mark, as the step is typed.
QString LocalFixed(double Value, int Decimals) {
    return ToQ(FixedText(Value, 10, Decimals)).replace('.', QLocale().decimalPoint());
}

// The step as the user's locale writes it, with as many digits as reading it back needs to give the
// same number: a radian step rounded to a few decimals would be another step, or none.
QString StepText(double Step) {
    QLocale Locale;
    Locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return Locale.toString(Step, 'g', QLocale::FloatingPointShortest);
}

// An extent edge: degrees for a geographic system (its values are radians), map units otherwise.
QString EdgeText(double Value, bool Radians) {
    return Radians ? LocalFixed(Value * 180.0 / M_PI, 6) + QChar(0xB0) : LocalFixed(Value, 3);
}

// "Photo list of 5 images, the first: 600 × 400 cells, 3 bands, RGB24BIT; west ..., north ..., ..."
QString DescriptionText(const TInputDescription& Input, bool Radians) {
    const std::string CellType = CellTypeName(Input.CellType);
    QString Text =
        Input.ListEntries > 0 ? QString("Photo list of %1 images, the first: ").arg(Input.ListEntries) : "";
    Text += QString("%1 %2 %3 cells, %4 band%5, %6; west %7, north %8, east %9, south %10")
                .arg(Input.Columns)
                .arg(QChar(0xD7))
                .arg(Input.Rows)
                .arg(Input.Bands)
                .arg(Input.Bands == 1 ? "" : "s")
                .arg(CellType.empty() ? QString("cell type %1").arg(Input.CellType) : ToQ(CellType))
                .arg(EdgeText(Input.West, Radians), EdgeText(Input.North, Radians),
                     EdgeText(Input.East, Radians), EdgeText(Input.South, Radians));
    return Text;
}

QString DialogFolder(const std::string& FileName) {
    return ToQ(std::filesystem::path(FileName).parent_path().string());
}

// A file dialog on the given filters; FilterIndex gets the chosen filter's number (from 1), 0 when the
// dialog reports one this program did not set.
QString RunFileDialog(QWidget* Parent, QFileDialog::AcceptMode Mode, std::string_view Filter,
                      const QString& Folder, const QString& ProposedName, int& FilterIndex) {
    QFileDialog Dialog(Parent);
    Dialog.setAcceptMode(Mode);
    Dialog.setFileMode(Mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The descriptions already name their patterns, as the users know them.
    Dialog.setOption(QFileDialog::HideNameFilterDetails);
    QStringList Filters;
    for (const TNameFilter& Name : SplitFilter(Filter))
        Filters << ToQ(DialogFilterText(Name));
    Dialog.setNameFilters(Filters);
    Dialog.selectNameFilter(Filters.front());
    Dialog.setDirectory(Folder.isEmpty() ? QDir::homePath() : Folder);
    if (!ProposedName.isEmpty()) Dialog.selectFile(ProposedName);
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty()) return {};
    FilterIndex = FilterIndexOf(Filter, Dialog.selectedNameFilter().toStdString());
    return Dialog.selectedFiles().front();
}

// The output choices' fields, which the settings name alike: one assignment carries them either way.
template <class T> auto OutputChoiceFields(T& Holder) {
    return std::tie(Holder.Compression, Holder.Quality, Holder.TileSize, Holder.Cog, Holder.NoData,
                    Holder.Alpha);
}

QLabel* NewLabel(const char* ObjectName, const QString& Text = {}) {
    auto* Label = new QLabel(Text);
    Label->setObjectName(ObjectName);
    return Label;
}

} // namespace

TForm1::TForm1(TAppFiles Files, QWidget* Parent)
    : QMainWindow(Parent), FFiles(std::move(Files)),
      FJob(
          *this, [this](const TProgressView& View) { ShowProgress(View); },
          [this](const std::string& Message) { JobFinished(Message); },
          [this](const std::string& Reason) { FFailures << ToQ(Reason); }) {
    setObjectName("Form1");
    setWindowTitle("Vortane");
    CreateActions();
    CreateControls();
    FormActivate();
    ChooseForm = new TChooseForm(*Catalogue, this);
    About = new TAbout(this);
    OutputOptions = new TOutputOptionsDialog(this);
}

TForm1::~TForm1() {
    FJob.RequestStop();
    FJob.WaitForEnd();
    SaveSettings();
}

void TForm1::CreateActions() {
    const auto NewAction = [this](const char* ObjectName, const QString& Text, void (TForm1::*Handler)()) {
        auto* Action = new QAction(Text, this);
        Action->setObjectName(ObjectName);
        connect(Action, &QAction::triggered, this, Handler);
        return Action;
    };
    // One command each for the tool bar and the menu, so disabling one disables both.
    InputBtn = NewAction("InputBtn", "Open input file", &TForm1::InputBtnClick);
    OutputBtn = NewAction("OutputBtn", "Save to file", &TForm1::OutputBtnClick);
    StartBtn = NewAction("StartBtn", "Start", &TForm1::StartBtnClick);
    Start1 = NewAction("Start1", "&Start", &TForm1::StartBtnClick);
    Exit1 = NewAction("Exit1", "E&xit", &TForm1::Exit1Click);
    Backgroundcolor1 = NewAction("Backgroundcolor1", "Background color", &TForm1::Backgroundcolor1Click);
    Onlyheaders1 = NewAction("Onlyheaders1", "Only headers", &TForm1::Onlyheaders1Click);
    Exactprojections1 = NewAction("Exactprojections1", "Exact projections", &TForm1::Exactprojections1Click);
    Outputoptions1 = NewAction("Outputoptions1", "Output options...", &TForm1::Outputoptions1Click);
    Help1 = NewAction("Help1", "Help", &TForm1::HelpClick);
    About1 = NewAction("About1", "About", &TForm1::About1Click);
    InputBtn->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    OutputBtn->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    StartBtn->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    Onlyheaders1->setCheckable(true);
    Exactprojections1->setCheckable(true);
    Help1->setShortcut(QKeySequence::HelpContents);
    InputBtn->setShortcut(QKeySequence::Open);
    OutputBtn->setShortcut(QKeySequence::Save);
    Start1->setShortcut(Qt::CTRL | Qt::Key_R); // the tool bar's button stops a run
    Exit1->setShortcut(QKeySequence::Quit);

    QMenu* File = menuBar()->addMenu("&File");
    File->addAction(InputBtn);
    RecentInputs = File->addMenu("Recent inputs");
    RecentInputs->setObjectName("RecentInputs");
    // Filled as it opens: a list rebuilt while one of its commands runs would delete that command.
    connect(RecentInputs, &QMenu::aboutToShow, this, &TForm1::ShowRecentInputs);
    File->addAction(OutputBtn);
    File->addSeparator();
    File->addAction(Exit1);
    menuBar()->addMenu("&Process")->addAction(Start1);
    QMenu* Options = menuBar()->addMenu("&Options");
    Options->addAction(Backgroundcolor1);
    Options->addAction(Onlyheaders1);
    Options->addAction(Exactprojections1);
    AddResamplingMenu(*Options->addMenu("Resampling"));
    Options->addAction(Outputoptions1);
    QMenu* Help = menuBar()->addMenu("Help");
    Help->addAction(Help1);
    Help->addAction(About1);

    QToolBar* Tools = addToolBar("Tools");
    Tools->setObjectName("ToolBar1");
    Tools->setMovable(false);
    Tools->addAction(InputBtn);
    Tools->addAction(OutputBtn);
    Tools->addAction(StartBtn);
}

void TForm1::CreateControls() {
    auto* Central = new QWidget;
    auto* Layout = new QVBoxLayout(Central);

    auto* Files = new QGroupBox;
    auto* FilesLayout = new QGridLayout(Files);
    Label1 = new TClickLabel(*InputBtn);
    Label2 = new TClickLabel(*OutputBtn);
    Label1->setObjectName("Label1");
    Label2->setObjectName("Label2");
    Label21 = NewLabel("Label21");
    Label22 = NewLabel("Label22");
    Label23 = NewLabel("Label23");
    FilesLayout->addWidget(new QLabel("Input file"), 0, 0);
    FilesLayout->addWidget(Label1, 0, 1, 1, 3);
    FilesLayout->addWidget(Label21, 1, 1);
    FilesLayout->addWidget(Label22, 1, 2);
    FilesLayout->addWidget(Label23, 1, 3);
    InputInfo = NewLabel("InputInfo");
    InputInfo->setWordWrap(true);
    FilesLayout->addWidget(InputInfo, 2, 1, 1, 3);
    FilesLayout->addWidget(new QLabel("Output file"), 3, 0);
    FilesLayout->addWidget(Label2, 3, 1, 1, 3);
    StorageInfo = NewLabel("StorageInfo");
    FilesLayout->addWidget(StorageInfo, 4, 1, 1, 3);
    FilesLayout->setColumnStretch(1, 1);
    FilesLayout->setColumnStretch(2, 1);
    FilesLayout->setColumnStretch(3, 1);
    Layout->addWidget(Files);

    auto* Systems = new QGroupBox;
    auto* Grid = new QGridLayout(Systems);
    Grid->addWidget(new QLabel("<b>Input</b>"), 0, 1);
    Grid->addWidget(new QLabel("<b>Output</b>"), 0, 2);
    const char* const Captions[] = {"Spheroid", "Datum", "Coordinate system"};
    QLabel** const Columns[2][3] = {{&Label10, &Label11, &Label12}, {&Label16, &Label17, &Label18}};
    const char* const Names[2][3] = {{"Label10", "Label11", "Label12"}, {"Label16", "Label17", "Label18"}};
    for (int Row = 0; Row < 3; ++Row) {
        Grid->addWidget(new QLabel(Captions[Row]), Row + 1, 0);
        for (int Column = 0; Column < 2; ++Column) {
            *Columns[Column][Row] = NewLabel(Names[Column][Row], Unknown);
            Grid->addWidget(*Columns[Column][Row], Row + 1, Column + 1);
        }
    }
    BitBtn1 = new QPushButton("Change");
    BitBtn2 = new QPushButton("Change");
    BitBtn1->setObjectName("BitBtn1");
    BitBtn2->setObjectName("BitBtn2");
    connect(BitBtn1, &QPushButton::clicked, this, [this] { ChangeSystem(true); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { ChangeSystem(false); });
    Grid->addWidget(BitBtn1, 4, 1, Qt::AlignLeft);
    Grid->addWidget(BitBtn2, 4, 2, Qt::AlignLeft);
    Grid->setColumnStretch(1, 1);
    Grid->setColumnStretch(2, 1);
    auto* SystemsRow = new QHBoxLayout;
    SystemsRow->addWidget(Systems, 3);
    PreviewMap = new TFootprintMap;
    SystemsRow->addWidget(PreviewMap, 2);
    Layout->addLayout(SystemsRow, 1);

    auto* StepRow = new QHBoxLayout;
    OutStep = new QLineEdit;
    OutStep->setObjectName("OutStep");
    // Wide enough for a radian step with every digit.
    OutStep->setMinimumWidth(OutStep->fontMetrics().horizontalAdvance(QString(24, '0')));
    OutStepUnit = NewLabel("OutStepUnit");
    auto* StepCaption = new QLabel("Output step");
    StepCaption->setBuddy(OutStep);
    StepRow->addWidget(StepCaption);
    StepRow->addWidget(OutStep);
    StepRow->addWidget(OutStepUnit);
    StepRow->addStretch(1);
    Layout->addLayout(StepRow);
    PreviewText = NewLabel("PreviewText");
    PreviewText->setWordWrap(true);
    Layout->addWidget(PreviewText);
    connect(OutStep, &QLineEdit::textEdited, this, &TForm1::UpdatePreview);

    Gauge1 = new QProgressBar;
    Gauge1->setObjectName("Gauge1");
    Gauge1->setRange(0, 100);
    Label5 = NewLabel("Label5");
    Label6 = NewLabel("Label6");
    Label24 = NewLabel("Label24");
    auto* Times = new QHBoxLayout;
    Times->addWidget(Label5);
    Times->addWidget(Label6);
    Times->addWidget(Label24);
    Layout->addWidget(Gauge1);
    Layout->addLayout(Times);
    ListGauge = new QProgressBar;
    ListGauge->setObjectName("ListGauge");
    ListGauge->setRange(0, 100);
    ListGauge->setFormat("All files: %p%");
    ListRemaining = NewLabel("ListRemaining");
    auto* ListRow = new QHBoxLayout;
    ListRow->addWidget(ListGauge, 1);
    ListRow->addWidget(ListRemaining);
    Layout->addLayout(ListRow);
    Layout->addStretch(1);
    setCentralWidget(Central);

    // The final message stays in a panel of its own: a menu's hover tips only cover it for a moment.
    StatusBar1 = new QStatusBar;
    StatusBar1->setObjectName("StatusBar1");
    StatusPanel = NewLabel("StatusPanel");
    StatusBar1->addWidget(StatusPanel, 1);
    // What a finished run wrote, a click away.
    OpenFolderBtn = new QPushButton("Open folder");
    OpenLogBtn = new QPushButton("Open log");
    OpenFolderBtn->setObjectName("OpenFolderBtn");
    OpenLogBtn->setObjectName("OpenLogBtn");
    for (QPushButton* Button : {OpenFolderBtn, OpenLogBtn}) {
        Button->setFlat(true);
        Button->hide();
        StatusBar1->addPermanentWidget(Button);
    }
    connect(OpenFolderBtn, &QPushButton::clicked, this, &TForm1::OpenFolderClick);
    connect(OpenLogBtn, &QPushButton::clicked, this, &TForm1::OpenLogClick);
    setAcceptDrops(true);
    setStatusBar(StatusBar1);
    // No larger than the screen: with a scale factor of 2 the preferred width would not fit.
    const QRect Screen = screen()->availableGeometry();
    resize(std::min(760, Screen.width()),
           std::min(std::max(IdleHeight, sizeHint().height()), Screen.height()));
}

// Start-up: the stored settings, the catalogue, the stored selection looked up by name, the hub, and
// the georeferencing of the stored input image when it still exists.
void TForm1::FormActivate() {
    SetRunning(false);
    const QString SettingsProblem = LoadSettings();
    JobOptions.Step = 1.0;
    Catalogue = std::make_unique<TCSList>();
    const bool Loaded = Catalogue->LoadAll(FFiles.CatalogueFolder);
    if (!Catalogue->Warnings.empty() || !Loaded) {
        QStringList Lines;
        for (const std::string& Warning : Catalogue->Warnings)
            Lines << ToQ(Warning);
        QMessageBox Box(QMessageBox::Warning, "Vortane", Loaded ? Lines.join('\n') : "Error loading files",
                        QMessageBox::Ok, this);
        if (!Loaded) Box.setInformativeText(Lines.join('\n'));
        Box.exec();
    }
    if (Loaded) {
        FSelection.InSpheroid = Catalogue->FindSpheroid(InSpheroidName);
        FSelection.InDatum = Catalogue->FindDatum(InDatumName);
        FSelection.InProjection = Catalogue->FindSystem(InProjectionName);
        FSelection.OutSpheroid = Catalogue->FindSpheroid(FSelection.OutSpheroidName);
        FSelection.OutDatum = Catalogue->FindDatum(FSelection.OutDatumName);
        FSelection.OutProjection = Catalogue->FindSystem(FSelection.OutProjectionName);
        FSelection.HubSpheroid = Catalogue->FindSpheroid("WE");
        FSelection.EpsgCodes = &Catalogue->EpsgCodes;
        FollowOutputUnit(); // the start step of 1 metre, in radians for a geographic output
        std::error_code Ignored;
        if (!InName.empty() && std::filesystem::exists(InName, Ignored)) ImportInput();
    }
    if (!SettingsProblem.isEmpty()) // after the input's own word, which replaces the status
        StatusPanel->setText(StatusPanel->text().isEmpty() ? SettingsProblem
                                                           : StatusPanel->text() + "; " + SettingsProblem);
    ShowSettings();
}

void TForm1::ShowSettings() {
    Label1->setText(ToQ(ShortenPath(InName, 70)));
    Label2->setText(ToQ(ShortenPath(OutName, 50)));
    Label21->setText("Easting:" + LocalFixed(InputEasting, 3));
    Label22->setText("Northing:" + LocalFixed(InputNorthing, 3));
    Label23->setText("Step:" + LocalFixed(InputStep, 6));
    InputInfo->setText(FInputText);
    Onlyheaders1->setChecked(JobOptions.OnlyHeaders);
    Exactprojections1->setChecked(JobOptions.ExactProjections);
    ShowResampling();
    const std::string Storage = StorageText(JobOptions.Creation);
    StorageInfo->setText("Output storage: " + ToQ(Storage));
    StorageInfo->setVisible(!Storage.empty());
    // An unset reference leaves its label as it was.
    const auto Show = [](QLabel* Label, const auto* Object, const std::string& Text) {
        if (Object) Label->setText(ToQ(Text));
    };
    const TJobSelection& S = FSelection;
    Show(Label10, S.InSpheroid, S.InSpheroid ? S.InSpheroid->Description : "");
    Show(Label11, S.InDatum, S.InDatum ? S.InDatum->Name : "");
    Show(Label12, S.InProjection, S.InProjection ? S.InProjection->Name : "");
    Show(Label16, S.OutSpheroid, S.OutSpheroid ? S.OutSpheroid->Description : "");
    Show(Label17, S.OutDatum, S.OutDatum ? S.OutDatum->Name : "");
    Show(Label18, S.OutProjection, S.OutProjection ? S.OutProjection->Name : "");
    OutStep->setText(StepText(JobOptions.Step));
    OutStep->setCursorPosition(0);
    OutStepUnit->setText(FStepInRadians ? "radians" : "metres");
    UpdatePreview();
}

// What the run would write with the step as typed: the output's size and time, and both outlines on
// the map; why not, when it cannot be worked out.
void TForm1::UpdatePreview() {
    TJobOptions Options = JobOptions;
    QLocale Locale;
    Locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool StepRead = false;
    Options.Step = Locale.toDouble(OutStep->text().trimmed(), &StepRead);
    TOutputPlan Plan;
    std::string Reason = !FInput ? "no input image" : !StepRead ? "the step is not a number" : "";
    if (Reason.empty() && PlanOutput(*FInput, Options, FSelection, Plan, Reason)) {
        PreviewText->setText(QString("%1: %2; time %3. Map: <span style='color:#1e5ac8'>input</span>, "
                                     "<span style='color:#c83c1e'>output</span>")
                                 .arg(FInput->ListEntries > 0 ? "First image's output" : "Output",
                                      ToQ(PlanSizeText(Plan)), ToQ(PlanTimeText(Plan))));
        PreviewMap->SetOutlines(std::move(Plan.InputOutline), std::move(Plan.OutputOutline));
        return;
    }
    PreviewText->setText("No preview: " + ToQ(Reason));
    PreviewMap->SetOutlines({}, {});
}

// The input as soon as it is picked: its description is shown, the system its file names (GeoTIFF
// keys or header names) becomes the input selection when the catalogue holds it, and its cell size the
// step. For a photo list, its first image that opens stands for all. A file that cannot be looked at
// clears what an earlier one left and says why; the stored names stay as chosen.
void TForm1::ImportInput() {
    InputEasting = InputNorthing = InputStep = 0;
    FInputText.clear();
    FInput.reset();
    TInputDescription Input;
    std::string Reason;
    if (!DescribeInput(InName, JobOptions.List, Input, Reason)) {
        StatusPanel->setText(ToQ(Reason));
        return;
    }
    StatusPanel->setText(Input.Warning.empty() ? QString() : ToQ(Input.Image + ": " + Input.Warning));
    InputStep = Input.CellSizeX;
    InputEasting = Input.West;
    InputNorthing = Input.North;
    const TFileCrs Found = ResolveFileCrs(*Catalogue, Input);
    if (Found.Found()) {
        FSelection.InSpheroid = Found.Selection.Spheroid;
        FSelection.InDatum = Found.Selection.Datum;
        FSelection.InProjection = Found.Selection.System;
    }
    const bool Radians = IsGeographic(FSelection.InProjection);
    FInputText = DescriptionText(Input, Radians);
    // The system the file names: taken when the catalogue holds it, otherwise why not.
    if (Found.Found())
        FInputText += "; its file names " + ToQ(SelectionText(*Catalogue, Found.Selection)) +
                      ", taken as the input system";
    else if (!Found.Problem.empty())
        FInputText += "; " + ToQ(Found.Problem);
    FInput = Input;
    JobOptions.Step = Input.CellSizeX;
    FStepInRadians = Radians;
    FollowOutputUnit();
}

// The step is carried into the output system's unit whenever that differs from the unit it is in.
void TForm1::FollowOutputUnit() {
    if (!FSelection.OutProjection || !FSelection.OutSpheroid) return;
    const bool ToRadians = IsGeographic(FSelection.OutProjection);
    JobOptions.Step = CarryStep(JobOptions.Step, FStepInRadians, ToRadians, *FSelection.OutSpheroid);
    FStepInRadians = ToRadians;
}

bool TForm1::ReadStep() {
    QLocale Locale;
    Locale.setNumberOptions(QLocale::RejectGroupSeparator); // "1.000" is not a thousand under a comma locale
    bool Ok = false;
    const double Step = Locale.toDouble(OutStep->text().trimmed(), &Ok);
    if (Ok) JobOptions.Step = Step;
    return Ok;
}

QString TForm1::LoadSettings() {
    FStoredSettings = ReadSettings(FFiles.Settings.Read);
    const TSettings& Stored = FStoredSettings;
    InSpheroidName = Stored.InSpheroid;
    InDatumName = Stored.InDatum;
    InProjectionName = Stored.InProjection;
    FSelection.OutSpheroidName = Stored.OutSpheroid;
    FSelection.OutDatumName = Stored.OutDatum;
    FSelection.OutProjectionName = Stored.OutProjection;
    InName = Stored.InName;
    OutName = Stored.OutName;
    JobOptions.List = Stored.List;
    JobOptions.BackGround = static_cast<std::int32_t>(Stored.BackGround);
    JobOptions.InUnits = static_cast<std::int32_t>(Stored.InUnits);
    JobOptions.OutUnits = static_cast<std::int32_t>(Stored.OutUnits);
    JobOptions.ExactProjections = Stored.ExactProjections;
    FRecentSystems = Stored.RecentSystems;
    FRecentInputs = Stored.RecentInputs;
    RecentInputs->setEnabled(!FRecentInputs.empty());
    SetErsRegistration(ErsRegistrationByName(Stored.ErsRegistration).value_or(TErsRegistration::Corner));
    JobOptions.Resampling = ResamplingByName(Stored.Resampling).value_or(TResampling::Auto);
    OutputChoiceFields(FOutputChoices) = OutputChoiceFields(FStoredSettings);
    if (const std::string Problem = ResolveOutputChoices(FOutputChoices, JobOptions.Creation);
        !Problem.empty()) {
        FOutputChoices = {};
        JobOptions.Creation = {};
        return "Stored output options not taken: " + ToQ(Problem);
    }
    return {};
}

void TForm1::SaveSettings() {
    TSettings Stored = FStoredSettings;
    Stored.InSpheroid = InSpheroidName;
    Stored.InDatum = InDatumName;
    Stored.InProjection = InProjectionName;
    Stored.OutSpheroid = FSelection.OutSpheroidName;
    Stored.OutDatum = FSelection.OutDatumName;
    Stored.OutProjection = FSelection.OutProjectionName;
    Stored.InName = InName;
    Stored.OutName = OutName;
    Stored.List = JobOptions.List;
    Stored.BackGround = JobOptions.BackGround;
    Stored.InUnits = JobOptions.InUnits;
    Stored.OutUnits = JobOptions.OutUnits;
    Stored.ExactProjections = JobOptions.ExactProjections;
    Stored.RecentSystems = FRecentSystems;
    Stored.RecentInputs = FRecentInputs;
    OutputChoiceFields(Stored) = OutputChoiceFields(FOutputChoices);
    if (WriteSettings(Stored, FFiles.Settings.Write))
        FStoredSettings = Stored;
    else
        StatusPanel->setText("Settings could not be saved to " + ToQ(FFiles.Settings.Write));
}

void TForm1::InputBtnClick() {
    int FilterIndex = 1;
    const QString Chosen =
        RunFileDialog(this, QFileDialog::AcceptOpen, InputFilter, DialogFolder(InName), {}, FilterIndex);
    if (!Chosen.isEmpty()) TakeInput(Chosen, FilterIndex);
    ShowSettings();
}

// A new input from the dialog, a drop or the recent list (these two as through the first filter: the
// content tells a photo list).
void TForm1::TakeInput(const QString& FileName, int FilterIndex) {
    JobOptions.List = ChosenIsList(FileName.toStdString(), FilterIndex);
    InName = FileName.toStdString();
    RememberFirst(FRecentInputs, InName);
    RecentInputs->setEnabled(true);
    ImportInput();
    ShowSettings();
}

void TForm1::ShowRecentInputs() {
    RecentInputs->clear();
    for (const std::string& Name : FRecentInputs) {
        const QString File = ToQ(Name);
        RecentInputs->addAction(ToQ(ShortenPath(Name, 70)), this, [this, File] { TakeInput(File, 1); });
    }
}

void TForm1::OpenFolderClick() {
    const std::filesystem::path Folder = std::filesystem::path(OutName).parent_path();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(ToQ(Folder.string()))))
        StatusPanel->setText("No file manager could open " + ToQ(Folder.string()));
}

void TForm1::OpenLogClick() {
    const std::string Log = RunFileName(OutName, JobOptions.Shard, ".log");
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(ToQ(Log))))
        StatusPanel->setText("No program could open " + ToQ(Log));
}

// A file dropped on the window becomes the input, while no run goes.
void TForm1::dragEnterEvent(QDragEnterEvent* Event) {
    const QList<QUrl> Urls = Event->mimeData()->urls();
    if (!FJob.Running() && Urls.size() == 1 && Urls.front().isLocalFile()) Event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* Event) {
    const QList<QUrl> Urls = Event->mimeData()->urls();
    if (FJob.Running() || Urls.size() != 1 || !Urls.front().isLocalFile()) return;
    Event->acceptProposedAction();
    TakeInput(Urls.front().toLocalFile(), 1);
}

void TForm1::OutputBtnClick() {
    int FilterIndex = 1;
    const QString Proposed = ToQ(std::filesystem::path(InName).stem().string());
    const QString Chosen =
        RunFileDialog(this, QFileDialog::AcceptSave, OutputFilter,
                      DialogFolder(OutName.empty() ? InName : OutName), Proposed, FilterIndex);
    if (!Chosen.isEmpty()) OutName = CompleteOutputName(Chosen.toStdString(), FilterIndex);
    ShowSettings();
}

void TForm1::ChangeSystem(bool Input) {
    const TJobSelection& S = FSelection;
    std::vector<TCSSelection> Recent;
    for (const TSystemNames& Names : FRecentSystems) {
        TCSSelection Found{Catalogue->FindSpheroid(Names.Spheroid), Catalogue->FindDatum(Names.Datum),
                           Catalogue->FindSystem(Names.Projection)};
        if (Found.Spheroid && Found.Datum && Found.System) Recent.push_back(Found);
    }
    ChooseForm->Offer(Input ? TShownSelection{S.InSpheroid, S.InDatum, S.InProjection}
                            : TShownSelection{S.OutSpheroid, S.OutDatum, S.OutProjection},
                      std::move(Recent));
    if (ChooseForm->exec() != QDialog::Accepted) return;
    TSpheroid* Spheroid = ChooseForm->FChosenSpheroid;
    TDatumRecord* Datum = ChooseForm->FChosenDatum;
    TProjection* Projection = ChooseForm->FChosenProjection;
    RememberFirst(FRecentSystems, TSystemNames{Spheroid->Name, Datum->Name, Projection->Name});
    if (Input) {
        FSelection.InSpheroid = Spheroid, FSelection.InDatum = Datum, FSelection.InProjection = Projection;
        InSpheroidName = Spheroid->Name, InDatumName = Datum->Name, InProjectionName = Projection->Name;
    } else {
        FSelection.OutSpheroid = Spheroid, FSelection.OutDatum = Datum, FSelection.OutProjection = Projection;
        FSelection.OutSpheroidName = Spheroid->Name, FSelection.OutDatumName = Datum->Name;
        FSelection.OutProjectionName = Projection->Name;
        ReadStep(); // a step typed since, in the old output's unit; an unreadable text keeps the last one
        FollowOutputUnit();
    }
    ShowSettings();
}

// Start, or during a run a stop request. The window decides by its own run state: the worker's Busy
// flag is set only once the worker has begun and cleared before its end event arrives.
void TForm1::StartBtnClick() {
    if (FJob.Running()) {
        FJob.RequestStop();
        return;
    }
    if (!ReadStep()) {
        QMessageBox::warning(this, "Vortane",
                             "'" + OutStep->text() + "' is not a valid floating point value");
        return;
    }
    if (!ConfirmReplacing()) return;
    ShowSettings();
    StatusPanel->clear();
    FFailures.clear();
    OpenFolderBtn->hide();
    OpenLogBtn->hide();
    SetRunning(true);
    Gauge1->setValue(0);
    Label5->clear(), Label6->clear(), Label24->clear();
    FSelection.Busy = false;
    FSelection.OnlyHeaders = JobOptions.OnlyHeaders;
    SaveSettings();
    FJob.Start(InName, OutName, JobOptions, FSelection);
}

// Creating an output truncates its files at once: images already there are replaced only when the user
// says so.
bool TForm1::ConfirmReplacing() {
    const std::vector<std::string> Existing = ExistingOutputImages(InName, OutName, JobOptions.List);
    if (Existing.empty()) return true;
    constexpr std::size_t Named = 5;
    QStringList Lines;
    for (std::size_t i = 0; i < std::min(Existing.size(), Named); ++i)
        Lines << ToQ(Existing[i]);
    if (Existing.size() > Named) Lines << QString("and %1 more").arg(Existing.size() - Named);
    QMessageBox Box(QMessageBox::Question, "Vortane", "Replace the existing output?",
                    QMessageBox::Yes | QMessageBox::No, this);
    Box.setObjectName("ReplaceBox");
    Box.setInformativeText(Lines.join('\n'));
    Box.setDefaultButton(QMessageBox::No);
    return Box.exec() == QMessageBox::Yes;
}

void TForm1::ShowProgress(const TProgressView& View) {
    Gauge1->setValue(View.Position);
    Label5->setText(ToQ(View.ElapsedText));
    Label6->setText(ToQ(View.RemainingText));
    Label24->setText(ToQ(View.ProcessingText));
    if (View.ListPosition >= 0) {
        ListGauge->setValue(View.ListPosition);
        ListRemaining->setText(ToQ(View.ListRemainingText));
    }
}

// A failure's own reason, naming its file, tells the user more than the run's status code.
void TForm1::JobFinished(const std::string& Message) {
    if (FFailures.isEmpty())
        StatusPanel->setText(ToQ(Message));
    else if (FFailures.size() == 1)
        StatusPanel->setText(FFailures.front());
    else
        StatusPanel->setText(
            QString("%1 images failed, the last: %2").arg(FFailures.size()).arg(FFailures.back()));
    Gauge1->setValue(0);
    SetRunning(false);
    OpenFolderBtn->show();
    OpenLogBtn->show();
    if (!FFailures.isEmpty()) ShowFailures();
    if (FCloseAfterRun) close();
}

// Every reason, one a line as the command line prints them; the window stays usable meanwhile.
void TForm1::ShowFailures() {
    constexpr qsizetype Shown = 20; // the log has them all
    QStringList Lines = FFailures.mid(0, Shown);
    if (FFailures.size() > Shown)
        Lines << QString("... and %1 more (see the log)").arg(FFailures.size() - Shown);
    auto* Box = new QMessageBox(QMessageBox::Warning, "Vortane", Lines.join('\n'), QMessageBox::Ok, this);
    Box->setObjectName("FailureBox");
    Box->setAttribute(Qt::WA_DeleteOnClose);
    Box->open();
}

// Idle: progress hidden, every command enabled. Running: the progress shown; the file commands, the
// start menu item and the background colour are disabled, and so are the "Change" buttons, because
// the worker reads the selection and the chosen systems while it runs.
void TForm1::SetRunning(bool Running) {
    for (QWidget* Progress : {static_cast<QWidget*>(Gauge1), static_cast<QWidget*>(Label5),
                              static_cast<QWidget*>(Label6), static_cast<QWidget*>(Label24)})
        Progress->setVisible(Running);
    if (Running) ListGauge->setValue(0), ListRemaining->clear();
    ListGauge->setVisible(Running && JobOptions.List);
    ListRemaining->setVisible(Running && JobOptions.List);
    StartBtn->setIcon(style()->standardIcon(Running ? QStyle::SP_MediaStop : QStyle::SP_MediaPlay));
    StartBtn->setText(Running ? "Stop" : "Start");
    for (QAction* Command : {InputBtn, OutputBtn, Start1, Backgroundcolor1})
        Command->setEnabled(!Running);
    BitBtn1->setEnabled(!Running);
    BitBtn2->setEnabled(!Running);
    FitProgress(Running);
}

// The progress controls need room of their own: a window without enough to spare grows for the run and
// gets its height back after, unless the user has resized it meanwhile. A larger window keeps its size.
void TForm1::FitProgress(bool Running) {
    // The height the controls ask for, with or without the progress: the inner layout first, since the
    // window's own takes its hint from it.
    centralWidget()->layout()->activate();
    layout()->activate();
    const int Needed = sizeHint().height();
    if (Running) {
        FHeightBeforeRun = height();
        if (height() < Needed) resize(width(), Needed);
        FRunHeight = height();
    } else if (FRunHeight != 0 && height() == FRunHeight) {
        resize(width(), std::max(FHeightBeforeRun, Needed));
    }
}

void TForm1::Backgroundcolor1Click() {
    const std::int32_t Old = JobOptions.BackGround;
    const QColor Initial(Old & 0xFF, (Old >> 8) & 0xFF, (Old >> 16) & 0xFF);
    const QColor Chosen = QColorDialog::getColor(Initial, this, "Background color");
    if (Chosen.isValid()) JobOptions.BackGround = Chosen.red() | Chosen.green() << 8 | Chosen.blue() << 16;
}

// One choice per sampling method; the next run takes the checked one, and the settings keep it.
void TForm1::AddResamplingMenu(QMenu& Menu) {
    Menu.setObjectName("ResamplingMenu");
    auto* Group = new QActionGroup(&Menu);
    for (const TResampling Method : ResamplingMethods) {
        const QString Name = ToQ(std::string(ResamplingName(Method)));
        QAction* Action = Menu.addAction(Name);
        Action->setObjectName("Resampling_" + Name);
        Action->setCheckable(true);
        Action->setActionGroup(Group);
        connect(Action, &QAction::triggered, this, [this, Method] {
            JobOptions.Resampling = Method;
            FStoredSettings.Resampling = ResamplingName(Method);
        });
    }
}

void TForm1::ShowResampling() {
    const QString Name = ToQ(std::string(ResamplingName(JobOptions.Resampling)));
    if (auto* Action = findChild<QAction*>("Resampling_" + Name)) Action->setChecked(true);
}

// Taken by the next run (a run going keeps the choices it started with) and kept in the settings.
void TForm1::Outputoptions1Click() {
    OutputOptions->Offer(FOutputChoices);
    if (OutputOptions->exec() != QDialog::Accepted) return;
    const TOutputChoices Chosen = OutputOptions->Chosen();
    // The dialog offers OK only for valid choices; anything else leaves the last ones in force.
    if (!ResolveOutputChoices(Chosen, JobOptions.Creation).empty()) return;
    FOutputChoices = Chosen;
    ShowSettings();
}

// Taken by the next run; a run going keeps the forms it started with.
void TForm1::Exactprojections1Click() {
    JobOptions.ExactProjections = !JobOptions.ExactProjections;
}

void TForm1::Onlyheaders1Click() {
    JobOptions.OnlyHeaders = !JobOptions.OnlyHeaders;
    FSelection.OnlyHeaders = JobOptions.OnlyHeaders; // a run going takes it from its next image on
    ShowSettings();
}

void TForm1::Exit1Click() {
    close();
}

void TForm1::About1Click() {
    About->exec();
}

void TForm1::HelpClick() {
    if (FFiles.HelpFile.empty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(ToQ(FFiles.HelpFile))))
        StatusPanel->setText("No help viewer or help file (README.md) found");
}

// While a run goes, closing asks it to stop and waits: the window closes once the end event came.
void TForm1::closeEvent(QCloseEvent* Event) {
    if (FJob.Running()) {
        FJob.RequestStop();
        FCloseAfterRun = true;
        Event->ignore();
        return;
    }
    Event->accept();
}

} // namespace vortane
