#pragma once
// The coordinate system chooser: a modal window in which a coordinate system is picked from the
// catalogue as a chain: a spheroid, a datum on it, a projection type available on it, and one
// system of that type. Every opening starts from empty lists; OK needs a line chosen in all four.

#include <QDialog>

class QListWidget;
class QPushButton;
class QStatusBar;
class QTabWidget;

namespace vortane {

class TCSList;
class TDatumRecord;
class TPrjTypeRecord;
class TProjection;
class TSpheroid;

class TChooseForm : public QDialog {
public:
    TChooseForm(const TCSList& Catalogue, QWidget* Parent);

    // The result, read after the window closed with OK; earlier choices stay until overwritten.
    TSpheroid* FChosenSpheroid = nullptr;
    TDatumRecord* FChosenDatum = nullptr;
    TPrjTypeRecord* FChosenPrjType = nullptr;
    TProjection* FChosenProjection = nullptr;

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void FormShow();
    void SpheBoxClick(int Row);
    void DatumBoxClick(int Row);
    void PrjTypeBoxClick(int Row);
    void ProjBoxClick(int Row);
    void OkBitBtnClick();
    void UpdateOk();

    const TCSList& FCatalogue;
    QTabWidget* FPages;
    QListWidget* SpheBox;
    QListWidget* DatumBox;
    QListWidget* PrjTypeBox;
    QListWidget* ProjBox;
    QPushButton* OkBitBtn;
    QPushButton* BitBtn2;
    QStatusBar* StatusBar1;
};

} // namespace vortane
