#include "app/chooser.hpp"

#include "catalogue/catalogue.hpp"
#include "text/tokenizer.hpp"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vortane {

namespace {

QString ToQ(const std::string& Text) {
    return QString::fromStdString(Text);
}

// A list under its caption; Clicked gets the row of a line the user selects.
QListWidget* AddList(QVBoxLayout& Page, const QString& Caption, const char* ObjectName) {
    auto* Label = new QLabel(Caption);
    auto* List = new QListWidget;
    List->setObjectName(ObjectName);
    Label->setBuddy(List);
    Page.addWidget(Label);
    Page.addWidget(List, 1);
    return List;
}

QWidget* NewPage(QTabWidget& Pages, const QString& Title, QVBoxLayout*& Layout) {
    auto* Page = new QWidget;
    Layout = new QVBoxLayout(Page);
    Pages.addTab(Page, Title);
    return Page;
}

// The selected row, or -1: a line made current without being selected (keyboard focus) is no choice.
int SelectedRow(const QListWidget& List) {
    const QList<QListWidgetItem*> Items = List.selectedItems();
    return Items.isEmpty() ? -1 : List.row(Items.front());
}

} // namespace

TChooseForm::TChooseForm(const TCSList& Catalogue, QWidget* Parent)
    : QDialog(Parent), FCatalogue(Catalogue), FPages(new QTabWidget), StatusBar1(new QStatusBar) {
    setObjectName("ChooseForm");
    setWindowTitle("Spheroid, Datum and Projection Chooser");
    QVBoxLayout* First = nullptr;
    QVBoxLayout* Second = nullptr;
    NewPage(*FPages, "Spheroid and Datum", First);
    NewPage(*FPages, "Projection", Second);
    SpheBox = AddList(*First, "Spheroid", "SpheBox");
    DatumBox = AddList(*First, "Datum", "DatumBox");
    PrjTypeBox = AddList(*Second, "Projection Type", "PrjTypeBox");
    ProjBox = AddList(*Second, "Projection", "ProjBox");

    auto* Buttons = new QDialogButtonBox;
    OkBitBtn = Buttons->addButton("Ok", QDialogButtonBox::AcceptRole);
    BitBtn2 = Buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    OkBitBtn->setObjectName("OkBitBtn");
    BitBtn2->setObjectName("BitBtn2");
    OkBitBtn->setDefault(true);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setSizeGripEnabled(false);

    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(FPages, 1);
    Layout->addWidget(Buttons);
    Layout->addWidget(StatusBar1);
    resize(460, 420);

    const std::pair<QListWidget*, void (TChooseForm::*)(int)> Handlers[] = {
        {SpheBox, &TChooseForm::SpheBoxClick},
        {DatumBox, &TChooseForm::DatumBoxClick},
        {PrjTypeBox, &TChooseForm::PrjTypeBoxClick},
        {ProjBox, &TChooseForm::ProjBoxClick}};
    for (auto [List, Handler] : Handlers)
        connect(List, &QListWidget::itemSelectionChanged, this, [this, List = List, Handler = Handler] {
            if (const int Row = SelectedRow(*List); Row >= 0) (this->*Handler)(Row);
            UpdateOk();
        });
    connect(OkBitBtn, &QPushButton::clicked, this, &TChooseForm::OkBitBtnClick);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject); // also the Escape key
    UpdateOk();
}

void TChooseForm::showEvent(QShowEvent* Event) {
    FormShow();
    QDialog::showEvent(Event);
}

void TChooseForm::FormShow() {
    for (QListWidget* List : {SpheBox, DatumBox, PrjTypeBox, ProjBox})
        List->clear();
    FPages->setCurrentIndex(0);
    FChosenSpheroid = nullptr;
    for (int i = 0; i < FCatalogue.Spheroids.Count(); ++i)
        SpheBox->addItem(ToQ(FCatalogue.Spheroids.Item(i)->Description));
    StatusBar1->clearMessage();
    UpdateOk();
}

void TChooseForm::SpheBoxClick(int Row) {
    FChosenSpheroid = FCatalogue.Spheroids.Item(Row);
    DatumBox->clear();
    for (std::int32_t Index : FChosenSpheroid->Refs.Values()) {
        const TDatumRecord* Datum = FCatalogue.Datums.Item(Index);
        DatumBox->addItem(ToQ(Datum->Name + " " + Datum->Comment));
    }
    PrjTypeBox->clear();
    for (int i = 0; i < FChosenSpheroid->PrjTypes.Count(); ++i)
        PrjTypeBox->addItem(ToQ(FChosenSpheroid->PrjTypes.Item(i)->Name));
    ProjBox->clear();
    StatusBar1->clearMessage();
}

void TChooseForm::DatumBoxClick(int Row) {
    SetParseText(DatumBox->item(Row)->text().toStdString());
    FChosenDatum = FCatalogue.FindDatum(NextToken(" "));
    StatusBar1->showMessage(FChosenDatum ? ToQ(FChosenDatum->Comment) : QString());
}

void TChooseForm::PrjTypeBoxClick(int Row) {
    FChosenPrjType = FChosenSpheroid->PrjTypes.Item(Row);
    ProjBox->clear();
    for (std::int32_t Index : FChosenPrjType->Refs.Values())
        ProjBox->addItem(ToQ(FChosenPrjType->Systems->Item(Index)->Name));
}

// Every list of the chosen type is searched in full, so of two systems with the clicked name the
// later one is taken.
void TChooseForm::ProjBoxClick(int Row) {
    const std::string Clicked = ProjBox->item(Row)->text().toStdString();
    FChosenProjection = nullptr;
    for (int i = 0; i < FChosenSpheroid->PrjTypes.Count(); ++i) {
        const TPrjTypeRecord* Type = FChosenSpheroid->PrjTypes.Item(i);
        if (Type->Name != FChosenPrjType->Name) continue;
        for (int s = 0; s < Type->Systems->Count(); ++s)
            if (Type->Systems->Item(s)->Name == Clicked)
                FChosenProjection = static_cast<TProjection*>(Type->Systems->Item(s));
    }
}

void TChooseForm::UpdateOk() {
    bool AllChosen = true;
    for (const QListWidget* List : {SpheBox, DatumBox, PrjTypeBox, ProjBox})
        AllChosen = AllChosen && SelectedRow(*List) >= 0;
    // A datum line whose first word names no datum is no choice either.
    OkBitBtn->setEnabled(AllChosen && FChosenSpheroid && FChosenDatum && FChosenProjection);
}

void TChooseForm::OkBitBtnClick() {
    FChosenProjection->SetSpheroidValues(FChosenSpheroid->Name, FChosenSpheroid->Description,
                                         FChosenSpheroid->A, FChosenSpheroid->F);
    accept();
}

} // namespace vortane
