#include "app/chooser.hpp"

#include "text/tokenizer.hpp"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace vortane {

namespace {

QString ToQ(const std::string& Text) {
    return QString::fromStdString(Text);
}

// A list under its caption.
template <class TList> TList* AddList(QVBoxLayout& Page, const QString& Caption, const char* ObjectName) {
    auto* Label = new QLabel(Caption);
    auto* List = new TList;
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

TShownSelection AsShown(const TCSSelection& Selection) {
    return {Selection.Spheroid, Selection.Datum, Selection.System};
}

bool SameSelection(const TShownSelection& A, const TShownSelection& B) {
    return A.Spheroid == B.Spheroid && A.Datum == B.Datum && A.System == B.System;
}

// The row of the first item of Count for which IsIt holds, or -1.
template <class TIsIt> int RowOf(int Count, TIsIt IsIt) {
    for (int Row = 0; Row < Count; ++Row)
        if (IsIt(Row)) return Row;
    return -1;
}

// The catalogue's own objects a shown selection refers to; none when it is not all of the catalogue.
std::optional<TCSSelection> InCatalogue(const TCSList& Catalogue, const TShownSelection& Shown) {
    if (!Shown.Spheroid || !Shown.Datum || !Shown.System) return std::nullopt;
    TCSSelection Found{Catalogue.FindSpheroid(Shown.Spheroid->Name), Catalogue.FindDatum(Shown.Datum->Name),
                       Catalogue.FindSystem(Shown.System->Name)};
    if (!SameSelection(AsShown(Found), Shown)) return std::nullopt;
    return Found;
}

const char* const SearchColumns[] = {"System", "Datum", "EPSG", "Published name"};

} // namespace

TChooseForm::TChooseForm(const TCSList& Catalogue, QWidget* Parent)
    : QDialog(Parent), FCatalogue(Catalogue), FTableSystems(EpsgSystems(Catalogue)), FPages(new QTabWidget),
      StatusBar1(new QStatusBar) {
    setObjectName("ChooseForm");
    setWindowTitle("Spheroid, Datum and Projection Chooser");
    QVBoxLayout* Search = nullptr;
    QVBoxLayout* First = nullptr;
    QVBoxLayout* Second = nullptr;
    NewPage(*FPages, "Search", Search);
    NewPage(*FPages, "Spheroid and Datum", First);
    NewPage(*FPages, "Projection", Second);
    SearchBox = new QLineEdit;
    SearchBox->setObjectName("SearchBox");
    SearchBox->setPlaceholderText("System, datum, region or EPSG code");
    SearchBox->setClearButtonEnabled(true);
    SearchBox->installEventFilter(this);
    auto* SearchCaption = new QLabel("Search");
    SearchCaption->setBuddy(SearchBox);
    Search->addWidget(SearchCaption);
    Search->addWidget(SearchBox);
    SearchList = new QTreeWidget;
    SearchList->setObjectName("SearchList");
    SearchList->setRootIsDecorated(false);
    SearchList->setUniformRowHeights(true);
    SearchList->setColumnCount(std::size(SearchColumns));
    SearchList->setHeaderLabels({SearchColumns[0], SearchColumns[1], SearchColumns[2], SearchColumns[3]});
    Search->addWidget(SearchList, 1);
    SpheBox = AddList<QListWidget>(*First, "Spheroid", "SpheBox");
    DatumBox = AddList<QListWidget>(*First, "Datum", "DatumBox");
    PrjTypeBox = AddList<QListWidget>(*Second, "Projection Type", "PrjTypeBox");
    ProjBox = AddList<QListWidget>(*Second, "Projection", "ProjBox");

    auto* Buttons = new QDialogButtonBox;
    OkBitBtn = Buttons->addButton("Ok", QDialogButtonBox::AcceptRole);
    BitBtn2 = Buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    OkBitBtn->setObjectName("OkBitBtn");
    BitBtn2->setObjectName("BitBtn2");
    // Enter means OK wherever the focus is: a focused Cancel must not become the default.
    OkBitBtn->setAutoDefault(false);
    BitBtn2->setAutoDefault(false);
    OkBitBtn->setDefault(true);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setSizeGripEnabled(false);

    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(FPages, 1);
    Layout->addWidget(Buttons);
    Layout->addWidget(StatusBar1);
    resize(620, 440);

    const std::pair<QListWidget*, void (TChooseForm::*)(int)> Handlers[] = {
        {SpheBox, &TChooseForm::SpheBoxClick},
        {DatumBox, &TChooseForm::DatumBoxClick},
        {PrjTypeBox, &TChooseForm::PrjTypeBoxClick},
        {ProjBox, &TChooseForm::ProjBoxClick}};
    for (auto [List, Handler] : Handlers)
        connect(List, &QListWidget::itemSelectionChanged, this, [this, List = List, Handler = Handler] {
            if (const int Row = SelectedRow(*List); Row >= 0) (this->*Handler)(Row);
            FChosenFromSearch = FChosenFromSearch && FShowing; // a click of the user's own
            UpdateOk();
        });
    connect(SearchBox, &QLineEdit::textChanged, this, &TChooseForm::FilterSearch);
    connect(SearchList, &QTreeWidget::itemSelectionChanged, this, &TChooseForm::SearchClick);
    connect(SearchList, &QTreeWidget::itemDoubleClicked, this, &TChooseForm::AcceptIfChosen);
    connect(ProjBox, &QListWidget::itemDoubleClicked, this, &TChooseForm::AcceptIfChosen);
    connect(OkBitBtn, &QPushButton::clicked, this, &TChooseForm::OkBitBtnClick);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject); // also the Escape key
    UpdateOk();
}

void TChooseForm::Offer(const TShownSelection& Current, std::vector<TCSSelection> Recent) {
    FCurrent = Current;
    FRecent = std::move(Recent);
}

void TChooseForm::showEvent(QShowEvent* Event) {
    FormShow();
    QDialog::showEvent(Event);
}

// The arrow keys move through the hits while the search text keeps the focus.
bool TChooseForm::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == SearchBox && Event->type() == QEvent::KeyPress) {
        const int Key = static_cast<QKeyEvent*>(Event)->key();
        if (Key == Qt::Key_Up || Key == Qt::Key_Down || Key == Qt::Key_PageUp || Key == Qt::Key_PageDown) {
            QCoreApplication::sendEvent(SearchList, Event);
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

void TChooseForm::FormShow() {
    SearchBox->clear();
    for (QListWidget* List : {SpheBox, DatumBox, PrjTypeBox, ProjBox})
        List->clear();
    FPages->setCurrentIndex(0);
    FChosenSpheroid = nullptr;
    FChosenDatum = nullptr;
    FChosenProjection = nullptr;
    for (int i = 0; i < FCatalogue.Spheroids.Count(); ++i)
        SpheBox->addItem(ToQ(FCatalogue.Spheroids.Item(i)->Description));
    StatusBar1->clearMessage();
    FChosenFromSearch = false;
    FillSearch();
    ShowCurrent();
    SearchBox->setFocus();
    UpdateOk();
}

// The recent systems first (with their code when the table has one), then every system of the table.
void TChooseForm::FillSearch() {
    FSearchRows.clear();
    for (const TCSSelection& Recent : FRecent) {
        const auto InTable =
            std::find_if(FTableSystems.begin(), FTableSystems.end(), [&](const TSystemEntry& E) {
                return SameSelection(AsShown(E.Selection), AsShown(Recent));
            });
        FSearchRows.push_back(InTable != FTableSystems.end() ? *InTable : TSystemEntry{Recent, nullptr});
    }
    FSearchRows.insert(FSearchRows.end(), FTableSystems.begin(), FTableSystems.end());

    const QSignalBlocker Quiet(SearchList); // nothing is chosen by filling
    SearchList->clear();
    QList<QTreeWidgetItem*> Items;
    for (std::size_t i = 0; i < FSearchRows.size(); ++i) {
        const TSystemEntry& Row = FSearchRows[i];
        const TEpsgEntry* Epsg = Row.Epsg;
        auto* Item = new QTreeWidgetItem(
            QStringList{ToQ(Row.Selection.System->Name), ToQ(Row.Selection.Datum->Name),
                        Epsg ? QString::number(Epsg->Code) : QString(),
                        ToQ(Epsg ? Epsg->Description : Row.Selection.Spheroid->Description)});
        if (i < FRecent.size()) {
            QFont Bold = Item->font(0);
            Bold.setBold(true);
            for (int Column = 0; Column < SearchList->columnCount(); ++Column)
                Item->setFont(Column, Bold);
            Item->setToolTip(0, "Used recently");
        }
        Items << Item;
    }
    SearchList->addTopLevelItems(Items);
    for (int Column = 0; Column < SearchList->columnCount() - 1; ++Column)
        SearchList->resizeColumnToContents(Column);
}

// The current choice is shown where the search lists it, and in the four lists in any case.
void TChooseForm::ShowCurrent() {
    const int Row = RowOf(static_cast<int>(FSearchRows.size()),
                          [&](int R) { return SameSelection(AsShown(FSearchRows[R].Selection), FCurrent); });
    if (Row >= 0)
        SearchList->setCurrentItem(SearchList->topLevelItem(Row));
    else if (const std::optional<TCSSelection> Listed = InCatalogue(FCatalogue, FCurrent); Listed)
        ShowChoice(*Listed);
}

// Only the hits stay listed; when the chosen line is not one of them, the first hit is chosen, so that
// Enter takes it.
void TChooseForm::FilterSearch(const QString& Text) {
    const std::string Wanted = Text.trimmed().toStdString();
    QTreeWidgetItem* FirstHit = nullptr;
    int Hits = 0;
    for (int Row = 0; Row < SearchList->topLevelItemCount(); ++Row) {
        const bool Hit = SystemMatches(FSearchRows[Row], Wanted);
        SearchList->topLevelItem(Row)->setHidden(!Hit);
        if (Hit && !FirstHit) FirstHit = SearchList->topLevelItem(Row);
        Hits += Hit;
    }
    const QList<QTreeWidgetItem*> Selected = SearchList->selectedItems();
    const bool ChosenIsHit = !Selected.isEmpty() && !Selected.front()->isHidden();
    if (!ChosenIsHit && FirstHit && !Wanted.empty()) SearchList->setCurrentItem(FirstHit);
    StatusBar1->showMessage(Wanted.empty() ? QString()
                            : Hits == 1    ? QString("1 system matches")
                                           : QString("%1 systems match").arg(Hits));
}

void TChooseForm::SearchClick() {
    const QList<QTreeWidgetItem*> Selected = SearchList->selectedItems();
    if (Selected.isEmpty()) return;
    ShowChoice(FSearchRows[SearchList->indexOfTopLevelItem(Selected.front())].Selection);
}

// Shows the chain of Choice in the four lists as far as they hold it and makes it the chosen one. A
// published system need not be among those the catalogue offers on its datum's spheroid (UTM zones on
// NAD27): it is added to its type's list, or, when the spheroid has no such type, chosen all the same.
void TChooseForm::ShowChoice(const TCSSelection& Choice) {
    FShowing = true;
    const int SpheroidRow = RowOf(FCatalogue.Spheroids.Count(),
                                  [&](int Row) { return FCatalogue.Spheroids.Item(Row) == Choice.Spheroid; });
    SpheBox->setCurrentRow(SpheroidRow);
    const std::vector<std::int32_t>& Datums = Choice.Spheroid->Refs.Values();
    DatumBox->setCurrentRow(RowOf(static_cast<int>(Datums.size()), [&](int Row) {
        return FCatalogue.Datums.Item(Datums[Row]) == Choice.Datum;
    }));
    const TPrjTypeList& Types = Choice.Spheroid->PrjTypes;
    const int TypeRow = RowOf(Types.Count(), [&](int Row) {
        const TCodeList& Systems = *Types.Item(Row)->Systems;
        return RowOf(Systems.Count(), [&](int S) { return Systems.Item(S) == Choice.System; }) >= 0;
    });
    PrjTypeBox->setCurrentRow(TypeRow);
    if (TypeRow >= 0) {
        const QString Name = ToQ(Choice.System->Name);
        if (ProjBox->findItems(Name, Qt::MatchExactly).isEmpty()) ProjBox->addItem(Name);
        ProjBox->setCurrentItem(ProjBox->findItems(Name, Qt::MatchExactly).front());
    }
    FShowing = false;
    FChosenSpheroid = Choice.Spheroid;
    FChosenDatum = Choice.Datum;
    FChosenProjection = Choice.System;
    FChosenFromSearch = true;
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
    OkBitBtn->setEnabled((AllChosen || FChosenFromSearch) && FChosenSpheroid && FChosenDatum &&
                         FChosenProjection);
}

// A double-click on a system takes it at once.
void TChooseForm::AcceptIfChosen() {
    if (OkBitBtn->isEnabled()) OkBitBtn->click();
}

void TChooseForm::OkBitBtnClick() {
    FChosenProjection->SetSpheroidValues(FChosenSpheroid->Name, FChosenSpheroid->Description,
                                         FChosenSpheroid->A, FChosenSpheroid->F);
    accept();
}

} // namespace vortane
