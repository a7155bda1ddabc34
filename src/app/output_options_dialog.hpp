#pragma once
// The output storage choices of the next run: compression and its JPEG quality, tiles, a
// cloud-optimised GeoTIFF, the nodata value and an alpha band. OK is offered only while the choices
// are valid; otherwise the dialog says what is wrong, in the words the command line uses.

#include "job/output_options.hpp"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace vortane {

// A short line naming how Options stores an output's cells ("deflate, tiles of 512, ..."); empty for
// the plain storage every run had before these choices.
std::string StorageText(const TCreationOptions& Options);

class TOutputOptionsDialog : public QDialog {
public:
    explicit TOutputOptionsDialog(QWidget* Parent);

    // Shows Choices; a value the controls cannot show (a name or size from a newer settings file) shows
    // the default instead.
    void Offer(const TOutputChoices& Choices);
    // The choices as the controls hold them, with the defaults a cloud-optimised output takes.
    TOutputChoices Chosen() const;

private:
    void FollowChoices();
    void ShowCogDefaults();

    QComboBox* FCompression;
    QSpinBox* FQuality;
    QComboBox* FTiles;
    QCheckBox* FCog;
    QLineEdit* FNoData;
    QCheckBox* FAlpha;
    QLabel* FProblem;
    QDialogButtonBox* FButtons;
};

} // namespace vortane
