#include "app/main_window.hpp"

#include "app/about_box.hpp"
#include "app/chooser.hpp"
#include "app/click_label.hpp"
#include "app/file_filters.hpp"
#include "catalogue/catalogue.hpp"
#include "job/settings.hpp"
#include "raster/data_set.hpp"
#include "raster/mapped_cell_file.hpp"
#include "text/strings.hpp"

#include <QCloseEvent>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include <filesystem>

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

QString FolderOf(const std::string& FileName) {
    return ToQ(std::filesystem::path(FileName).parent_path().string());
}

// Qt reads a filter's patterns from its last parenthesised group, separated by blanks; the description
// stays as the user knows it because the dialog hides that group.
QStringList QtNameFilters(std::string_view Filter) {
    QStringList Filters;
    for (const TNameFilter& Name : SplitFilter(Filter)) {
        QStringList Patterns;
        for (const std::string& Pattern : Name.Patterns)
            Patterns << (Pattern == "*.*" ? QString("*") : ToQ(Pattern)); // names without a dot are files too
        Filters << ToQ(Name.Description) + " (" + Patterns.join(' ') + ")";
    }
    return Filters;
}

// A file dialog on the given filters; FilterIndex gets the chosen filter's number (from 1).
QString RunFileDialog(QWidget* Parent, QFileDialog::AcceptMode Mode, std::string_view Filter,
                      const QString& Folder, const QString& ProposedName, int& FilterIndex) {
    QFileDialog Dialog(Parent);
    Dialog.setAcceptMode(Mode);
    Dialog.setFileMode(Mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    Dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList Filters = QtNameFilters(Filter);
    Dialog.setNameFilters(Filters);
    Dialog.selectNameFilter(Filters.front());
    Dialog.setDirectory(Folder);
    if (!ProposedName.isEmpty()) Dialog.selectFile(ProposedName);
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty()) return {};
    FilterIndex = static_cast<int>(Filters.indexOf(Dialog.selectedNameFilter())) + 1;
    return Dialog.selectedFiles().front();
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
          [this](const std::string& Message) { JobFinished(Message); }) {
    setObjectName("Form1");
    setWindowTitle("Vortane");
    CreateActions();
    CreateControls();
    FormActivate();
    ChooseForm = new TChooseForm(*Catalogue, this);
    About = new TAbout(this);
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
    Help1 = NewAction("Help1", "Help", &TForm1::HelpClick);
    About1 = NewAction("About1", "About", &TForm1::About1Click);
    InputBtn->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    OutputBtn->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    StartBtn->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    Onlyheaders1->setCheckable(true);
    Exactprojections1->setCheckable(true);
    Help1->setShortcut(QKeySequence::HelpContents);

    QMenu* File = menuBar()->addMenu("&File");
    File->addAction(InputBtn);
    File->addAction(OutputBtn);
    File->addSeparator();
    File->addAction(Exit1);
    menuBar()->addMenu("&Process")->addAction(Start1);
    QMenu* Options = menuBar()->addMenu("&Options");
    Options->addAction(Backgroundcolor1);
    Options->addAction(Onlyheaders1);
    Options->addAction(Exactprojections1);
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
    FilesLayout->addWidget(new QLabel("Output file"), 2, 0);
    FilesLayout->addWidget(Label2, 2, 1, 1, 3);
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
    Layout->addWidget(Systems);

    auto* StepRow = new QHBoxLayout;
    OutStep = new QLineEdit;
    OutStep->setObjectName("OutStep");
    OutStep->setMaximumWidth(160);
    auto* StepCaption = new QLabel("Output step");
    StepCaption->setBuddy(OutStep);
    StepRow->addWidget(StepCaption);
    StepRow->addWidget(OutStep);
    StepRow->addStretch(1);
    Layout->addLayout(StepRow);

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
    Layout->addStretch(1);
    setCentralWidget(Central);

    // The final message stays in a panel of its own: a menu's hover tips only cover it for a moment.
    StatusBar1 = new QStatusBar;
    StatusBar1->setObjectName("StatusBar1");
    StatusPanel = NewLabel("StatusPanel");
    StatusBar1->addWidget(StatusPanel, 1);
    setStatusBar(StatusBar1);
    resize(640, IdleHeight);
}

// Start-up: the stored settings, the catalogue, the stored selection looked up by name, the hub, and
// the georeferencing of the stored input image when it still exists.
void TForm1::FormActivate() {
    SetRunning(false);
    LoadSettings();
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
        std::error_code Ignored;
        if (!InName.empty() && std::filesystem::exists(InName, Ignored)) ImportInput();
    }
    ShowSettings();
}

void TForm1::ShowSettings() {
    Label1->setText(ToQ(ShortenPath(InName, 70)));
    Label2->setText(ToQ(ShortenPath(OutName, 50)));
    Label21->setText("Easting:" + LocalFixed(InputEasting, 3));
    Label22->setText("Northing:" + LocalFixed(InputNorthing, 3));
    Label23->setText("Step:" + LocalFixed(InputStep, 6));
    Onlyheaders1->setChecked(JobOptions.OnlyHeaders);
    Exactprojections1->setChecked(JobOptions.ExactProjections);
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
    OutStep->setText(LocalFixed(JobOptions.Step, 6));
}

// The input image's georeferencing becomes the input selection when the catalogue knows all three of
// its names; its cell size becomes the step either way. The stored names stay as chosen.
void TForm1::ImportInput() {
    TDataSet2 Input;
    if (!Input.Open(InName, 0, 0, 1, 1, omRead)) return;
    std::string SpheroidText, DatumText, ProjectionText;
    Input.GetSpheroid(SpheroidText);
    Input.GetDatum(DatumText);
    Input.GetProjection(ProjectionText);
    JobOptions.Step = Input.GetCellSizeX();
    InputStep = Input.GetCellSizeX();
    InputEasting = Input.GetOriginX();
    InputNorthing = Input.GetOriginY();
    TCSSelection Found;
    if (Catalogue->ResolveNames(SpheroidText, DatumText, ProjectionText, Found)) {
        FSelection.InSpheroid = Found.Spheroid;
        FSelection.InDatum = Found.Datum;
        FSelection.InProjection = Found.System;
    }
}

bool TForm1::ReadStep() {
    QLocale Locale;
    Locale.setNumberOptions(QLocale::RejectGroupSeparator); // "1.000" is not a thousand under a comma locale
    bool Ok = false;
    const double Step = Locale.toDouble(OutStep->text().trimmed(), &Ok);
    if (Ok) JobOptions.Step = Step;
    return Ok;
}

void TForm1::LoadSettings() {
    const TSettings Stored = ReadSettings(FFiles.Settings.Read);
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
}

void TForm1::SaveSettings() {
    TSettings Stored;
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
    if (!WriteSettings(Stored, FFiles.Settings.Write))
        StatusPanel->setText("Settings could not be saved to " + ToQ(FFiles.Settings.Write));
}

void TForm1::InputBtnClick() {
    int FilterIndex = 1;
    const QString Chosen =
        RunFileDialog(this, QFileDialog::AcceptOpen, InputFilter, FolderOf(InName), {}, FilterIndex);
    if (!Chosen.isEmpty()) {
        JobOptions.List = IsListFilter(FilterIndex);
        InName = Chosen.toStdString();
        ImportInput();
    }
    ShowSettings();
}

void TForm1::OutputBtnClick() {
    int FilterIndex = 1;
    const QString Proposed = ToQ(std::filesystem::path(InName).stem().string());
    const QString Chosen =
        RunFileDialog(this, QFileDialog::AcceptSave, OutputFilter, FolderOf(OutName), Proposed, FilterIndex);
    if (!Chosen.isEmpty()) OutName = CompleteOutputName(Chosen.toStdString(), FilterIndex);
    ShowSettings();
}

void TForm1::ChangeSystem(bool Input) {
    if (ChooseForm->exec() != QDialog::Accepted) return;
    TSpheroid* Spheroid = ChooseForm->FChosenSpheroid;
    TDatumRecord* Datum = ChooseForm->FChosenDatum;
    TProjection* Projection = ChooseForm->FChosenProjection;
    if (Input) {
        FSelection.InSpheroid = Spheroid, FSelection.InDatum = Datum, FSelection.InProjection = Projection;
        InSpheroidName = Spheroid->Name, InDatumName = Datum->Name, InProjectionName = Projection->Name;
    } else {
        FSelection.OutSpheroid = Spheroid, FSelection.OutDatum = Datum, FSelection.OutProjection = Projection;
        FSelection.OutSpheroidName = Spheroid->Name, FSelection.OutDatumName = Datum->Name;
        FSelection.OutProjectionName = Projection->Name;
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
    ShowSettings();
    StatusPanel->clear();
    SetRunning(true);
    Gauge1->setValue(0);
    Label5->clear(), Label6->clear(), Label24->clear();
    FSelection.Busy = false;
    FSelection.OnlyHeaders = JobOptions.OnlyHeaders;
    SaveSettings();
    FJob.Start(InName, OutName, JobOptions, FSelection);
}

void TForm1::ShowProgress(const TProgressView& View) {
    Gauge1->setValue(View.Position);
    Label5->setText(ToQ(View.ElapsedText));
    Label6->setText(ToQ(View.RemainingText));
    Label24->setText(ToQ(View.ProcessingText));
}

void TForm1::JobFinished(const std::string& Message) {
    StatusPanel->setText(ToQ(Message));
    Gauge1->setValue(0);
    SetRunning(false);
    if (FCloseAfterRun) close();
}

// Idle: 413 pixels high, progress hidden, every command enabled. Running: 479 pixels with the progress
// shown; the file commands, the start menu item and the background colour are disabled, and so are
// the "Change" buttons, because the worker reads the selection and the chosen systems while it runs.
void TForm1::SetRunning(bool Running) {
    for (QWidget* Progress : {static_cast<QWidget*>(Gauge1), static_cast<QWidget*>(Label5),
                              static_cast<QWidget*>(Label6), static_cast<QWidget*>(Label24)})
        Progress->setVisible(Running);
    StartBtn->setIcon(style()->standardIcon(Running ? QStyle::SP_MediaStop : QStyle::SP_MediaPlay));
    StartBtn->setText(Running ? "Stop" : "Start");
    for (QAction* Command : {InputBtn, OutputBtn, Start1, Backgroundcolor1})
        Command->setEnabled(!Running);
    BitBtn1->setEnabled(!Running);
    BitBtn2->setEnabled(!Running);
    setFixedHeight(Running ? RunningHeight : IdleHeight);
}

void TForm1::Backgroundcolor1Click() {
    const std::int32_t Old = JobOptions.BackGround;
    const QColor Initial(Old & 0xFF, (Old >> 8) & 0xFF, (Old >> 16) & 0xFF);
    const QColor Chosen = QColorDialog::getColor(Initial, this, "Background color");
    if (Chosen.isValid()) JobOptions.BackGround = Chosen.red() | Chosen.green() << 8 | Chosen.blue() << 16;
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
