#pragma once
// The coordinate system chooser: a modal window in which a coordinate system is picked from the
// catalogue, either by searching its name, datum, region or EPSG code, or as a chain: a spheroid, a
// datum on it, a projection type available on it, and one system of that type. A search hit shows
// its chain in the lists. Each opening shows the current choice and offers the systems used last
// first; OK needs a line chosen in all four lists.

#include "catalogue/system_search.hpp"

#include <QDialog>

#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTreeWidget;

namespace vortane {

// A selection as the window holds it, for showing only.
struct TShownSelection {
    const TSpheroid* Spheroid = nullptr;
    const TDatumRecord* Datum = nullptr;
    const TProjection* System = nullptr;
};

class TChooseForm : public QDialog {
public:
    TChooseForm(const TCSList& Catalogue, QWidget* Parent);

    // What the next opening shows: the current choice (chosen already, when the lists hold it) and the
    // systems used last, most recent first, which the search offers before all others.
    void Offer(const TShownSelection& Current, std::vector<TCSSelection> Recent);

    // The result, read after the window closed with OK; earlier choices stay until overwritten.
    TSpheroid* FChosenSpheroid = nullptr;
    TDatumRecord* FChosenDatum = nullptr;
    TPrjTypeRecord* FChosenPrjType = nullptr;
    TProjection* FChosenProjection = nullptr;

protected:
    void showEvent(QShowEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void FormShow();
    void FillSearch();
    void ShowCurrent();
    void FilterSearch(const QString& Text);
    void SearchClick();
    void ShowChoice(const TCSSelection& Choice);
    void SpheBoxClick(int Row);
    void DatumBoxClick(int Row);
    void PrjTypeBoxClick(int Row);
    void ProjBoxClick(int Row);
    void AcceptIfChosen();
    void OkBitBtnClick();
    void UpdateOk();

    const TCSList& FCatalogue;
    const std::vector<TSystemEntry> FTableSystems;
    std::vector<TSystemEntry> FSearchRows; // one per line of SearchList: the recent ones, then the table
    TShownSelection FCurrent;
    bool FShowing = false;          // the lists are being set to a search hit
    bool FChosenFromSearch = false; // the chosen three are a search hit the lists may not show whole
    std::vector<TCSSelection> FRecent;
    QTabWidget* FPages;
    QLineEdit* SearchBox;
    QTreeWidget* SearchList;
    QListWidget* SpheBox;
    QListWidget* DatumBox;
    QListWidget* PrjTypeBox;
    QListWidget* ProjBox;
    QPushButton* OkBitBtn;
    QPushButton* BitBtn2;
    QStatusBar* StatusBar1;
};

} // namespace vortane
