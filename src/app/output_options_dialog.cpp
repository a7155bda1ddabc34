#include "app/output_options_dialog.hpp"

#include "text/strings.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStandardItemModel>

#include <algorithm>
#include <functional>

namespace vortane {

namespace {

QString ToQ(std::string_view Text) {
    return QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size()));
}

// What a cloud-optimised output makes of the storage in Choices; the nodata value plays no part.
TCreationOptions AsCog(TOutputChoices Choices) {
    Choices.Cog = true;
    Choices.NoData.clear();
    TCreationOptions Resolved;
    ResolveOutputChoices(Choices, Resolved);
    return Resolved;
}

void EnableItems(QComboBox& Box, const std::function<bool(int Index)>& Enabled) {
    auto* Model = qobject_cast<QStandardItemModel*>(Box.model());
    for (int Index = 0; Index < Box.count(); ++Index)
        Model->item(Index)->setEnabled(Enabled(Index));
}

template <class T> T* Named(T* Widget, const char* ObjectName) {
    Widget->setObjectName(ObjectName);
    return Widget;
}

} // namespace

std::string StorageText(const TCreationOptions& Options) {
    std::string Text;
    const auto Add = [&Text](const std::string& Part) { Text += (Text.empty() ? "" : ", ") + Part; };
    if (Options.Compression == TCompression::Jpeg)
        Add("jpeg quality " + std::to_string(Options.Quality));
    else if (Options.Compression != TCompression::None)
        Add(std::string(CompressionName(Options.Compression)));
    if (Options.TileSize != 0) Add("tiles of " + std::to_string(Options.TileSize));
    if (Options.Cog) Add("cloud-optimised");
    if (Options.NoData) Add("nodata " + GeneralText(*Options.NoData));
    if (Options.Alpha) Add("alpha band");
    return Text;
}

TOutputOptionsDialog::TOutputOptionsDialog(QWidget* Parent) : QDialog(Parent) {
    setObjectName("OutputOptions");
    setWindowTitle("Output options");
    FCompression = Named(new QComboBox, "CompressionBox");
    FCompression->addItems(ToQ(CompressionNames(",")).split(','));
    FQuality = Named(new QSpinBox, "QualityBox");
    FQuality->setRange(1, 100);
    FTiles = Named(new QComboBox, "TilesBox");
    FTiles->addItem("strips", 0);
    FTiles->addItem("256", 256);
    FTiles->addItem("512", 512);
    FCog = Named(new QCheckBox("Cloud-optimised GeoTIFF (tiled, compressed, with overviews)"), "CogBox");
    FNoData = Named(new QLineEdit, "NoDataEdit");
    FNoData->setPlaceholderText("none");
    FNoData->setToolTip("The value empty output cells hold, declared in the output's header or tag");
    FAlpha = Named(new QCheckBox("Alpha band (the background transparent)"), "AlphaBox");
    auto* Note = new QLabel("Compression, tiles, the cloud-optimised layout and the alpha band apply to "
                            "TIFF outputs only.");
    Note->setWordWrap(true);
    FProblem = Named(new QLabel, "ProblemLabel");
    FProblem->setWordWrap(true);
    FProblem->setStyleSheet("color: #b00000");
    // Room for a message from the start: a dialog growing as one appears squeezes the wrapped note.
    FProblem->setMinimumHeight(2 * FProblem->fontMetrics().lineSpacing());
    FProblem->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FButtons = Named(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel), "ButtonBox");
    connect(FButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(FButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* Layout = new QFormLayout(this);
    Layout->addRow("Compression:", FCompression);
    Layout->addRow("JPEG quality:", FQuality);
    Layout->addRow("Tiles:", FTiles);
    Layout->addRow(FCog);
    Layout->addRow("Nodata value:", FNoData);
    Layout->addRow(FAlpha);
    Layout->addRow(Note);
    Layout->addRow(FProblem);
    Layout->addRow(FButtons);

    connect(FCompression, &QComboBox::currentIndexChanged, this, &TOutputOptionsDialog::FollowChoices);
    connect(FTiles, &QComboBox::currentIndexChanged, this, &TOutputOptionsDialog::FollowChoices);
    connect(FCog, &QCheckBox::toggled, this, &TOutputOptionsDialog::FollowChoices);
    connect(FNoData, &QLineEdit::textChanged, this, &TOutputOptionsDialog::FollowChoices);
    FollowChoices();
}

// The COG box first: its change shows its defaults in place of the storage shown before.
void TOutputOptionsDialog::Offer(const TOutputChoices& Choices) {
    FCog->setChecked(Choices.Cog);
    FCompression->setCurrentIndex(std::max(FCompression->findText(ToQ(Choices.Compression)), 0));
    FQuality->setValue(static_cast<int>(Choices.Quality));
    FTiles->setCurrentIndex(std::max(FTiles->findData(static_cast<int>(Choices.TileSize)), 0));
    FNoData->setText(ToQ(Choices.NoData));
    FAlpha->setChecked(Choices.Alpha);
    FollowChoices();
}

TOutputChoices TOutputOptionsDialog::Chosen() const {
    return {.Compression = FCompression->currentText().toStdString(),
            .Quality = FQuality->value(),
            .TileSize = FTiles->currentData().toInt(),
            .Cog = FCog->isChecked(),
            .NoData = FNoData->text().trimmed().toStdString(),
            .Alpha = FAlpha->isChecked()};
}

// After every change: the quality only for JPEG, a COG's storage as the run will make it, and OK only
// while the choices hold.
void TOutputOptionsDialog::FollowChoices() {
    const bool Cog = FCog->isChecked();
    if (Cog) ShowCogDefaults();
    // While COG is checked, only what a COG keeps as it is can be picked.
    EnableItems(*FCompression, [&](int Index) {
        const std::string Name = FCompression->itemText(Index).toStdString();
        return !Cog || CompressionName(AsCog({.Compression = Name}).Compression) == Name;
    });
    EnableItems(*FTiles, [&](int Index) {
        const int Size = FTiles->itemData(Index).toInt();
        return !Cog || AsCog({.TileSize = Size}).TileSize == Size;
    });
    FQuality->setEnabled(FCompression->currentText() == ToQ(CompressionName(TCompression::Jpeg)));
    TCreationOptions Ignored;
    const std::string Problem = ResolveOutputChoices(Chosen(), Ignored);
    FProblem->setText(ToQ(Problem));
    FButtons->button(QDialogButtonBox::Ok)->setEnabled(Problem.empty());
}

// A COG has no strips and no uncompressed cells: the controls show what it takes instead.
void TOutputOptionsDialog::ShowCogDefaults() {
    const TCreationOptions Cog = AsCog(Chosen());
    const QSignalBlocker CompressionBlocked(FCompression);
    const QSignalBlocker TilesBlocked(FTiles);
    FCompression->setCurrentText(ToQ(CompressionName(Cog.Compression)));
    FTiles->setCurrentIndex(FTiles->findData(static_cast<int>(Cog.TileSize)));
}

} // namespace vortane
