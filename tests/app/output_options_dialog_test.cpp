// Options > Output options: the choices the next run stores its output with, kept in the settings file.
#include "window_test_support.hpp"

#include "job/settings.hpp"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QStandardItemModel>

namespace vortane::test {
namespace {

class OutputOptions : public WindowTest {
protected:
    void StoreChoices(const char* Compression, long TileSize, const char* NoData) {
        TSettings Stored;
        Stored.Compression = Compression;
        Stored.TileSize = TileSize;
        Stored.NoData = NoData;
        ASSERT_TRUE(WriteSettings(Stored, SettingsFile()));
    }

    static QPushButton& Ok(QWidget& Dialog) {
        return *Child<QDialogButtonBox>(Dialog, "ButtonBox").button(QDialogButtonBox::Ok);
    }
};

bool ItemEnabled(QComboBox& Box, int Index) {
    return qobject_cast<QStandardItemModel*>(Box.model())->item(Index)->isEnabled();
}

TEST_F(OutputOptions, TheChoicesGoIntoTheNextRunAndTheSettingsAndComeBackOnTheNextStart) {
    StoreChoices("lzw", 256, "");
    auto Form = NewForm();
    EXPECT_EQ(Form->Options().Creation.Compression, TCompression::Lzw);
    EXPECT_EQ(Text(*Form, "StorageInfo"), "Output storage: lzw, tiles of 256");

    WhenModal([](QWidget& Dialog) {
        auto& Compression = Child<QComboBox>(Dialog, "CompressionBox");
        auto& Tiles = Child<QComboBox>(Dialog, "TilesBox");
        auto& Quality = Child<QSpinBox>(Dialog, "QualityBox");
        EXPECT_EQ(Compression.currentText().toStdString(), "lzw");
        EXPECT_EQ(Tiles.currentText().toStdString(), "256");
        EXPECT_FALSE(Quality.isEnabled()); // JPEG only
        Compression.setCurrentText("none");
        Tiles.setCurrentText("strips");
        // A COG shows the storage it takes instead, and offers nothing it would replace.
        QTest::mouseClick(&Child<QCheckBox>(Dialog, "CogBox"), Qt::LeftButton);
        EXPECT_EQ(Compression.currentText().toStdString(), "deflate");
        EXPECT_EQ(Tiles.currentText().toStdString(), "512");
        EXPECT_FALSE(ItemEnabled(Compression, 0));
        EXPECT_FALSE(ItemEnabled(Tiles, 0));
        EXPECT_TRUE(ItemEnabled(Tiles, 1));
        Compression.setCurrentText("jpeg");
        EXPECT_TRUE(Quality.isEnabled());
        Quality.setValue(60);
        QTest::keyClicks(&Child<QLineEdit>(Dialog, "NoDataEdit"), "-9999");
        QTest::mouseClick(&Child<QCheckBox>(Dialog, "AlphaBox"), Qt::LeftButton);
        QTest::mouseClick(&Ok(Dialog), Qt::LeftButton);
    });
    Trigger(*Form, "Outputoptions1");
    const auto ExpectChosen = [](const TCreationOptions& Creation) {
        EXPECT_EQ(Creation.Compression, TCompression::Jpeg);
        EXPECT_EQ(Creation.Quality, 60);
        EXPECT_EQ(Creation.TileSize, 512);
        EXPECT_TRUE(Creation.Cog);
        EXPECT_EQ(Creation.NoData, -9999.0);
        EXPECT_TRUE(Creation.Alpha);
    };
    ExpectChosen(Form->Options().Creation);
    EXPECT_EQ(Text(*Form, "StorageInfo"),
              "Output storage: jpeg quality 60, tiles of 512, cloud-optimised, nodata -9999, alpha band");

    Form.reset(); // saves the settings
    const TSettings Saved = ReadSettings(SettingsFile());
    EXPECT_EQ(Saved.Compression, "jpeg");
    EXPECT_EQ(Saved.TileSize, 512);
    EXPECT_EQ(Saved.NoData, "-9999");
    ExpectChosen(NewForm()->Options().Creation);
}

TEST_F(OutputOptions, BadStoredChoicesFallBackToPlainAndABadNodataIsRefusedWithItsMessage) {
    StoreChoices("brotli", 256, "");
    auto Form = NewForm();
    EXPECT_TRUE(Form->Options().Creation.Plain());
    EXPECT_EQ(Status(*Form), "Stored output options not taken: Compression \"brotli\" is not one of none, "
                             "deflate, lzw, zstd, jpeg");
    EXPECT_FALSE(Child<QLabel>(*Form, "StorageInfo").isVisible());

    WhenModal([](QWidget& Dialog) {
        auto& NoData = Child<QLineEdit>(Dialog, "NoDataEdit");
        QTest::keyClicks(&NoData, "1e999");
        EXPECT_EQ(Text(Dialog, "ProblemLabel"), "Nodata value \"1e999\" is not a finite number");
        EXPECT_FALSE(Ok(Dialog).isEnabled());
        NoData.setText("12.5");
        EXPECT_TRUE(Ok(Dialog).isEnabled());
        EXPECT_EQ(Text(Dialog, "ProblemLabel"), "");
        NoData.setText("twelve");
        QTest::keyClick(&Dialog, Qt::Key_Return); // the default button, refused
        EXPECT_TRUE(Dialog.isVisible());
        QTest::keyClick(&Dialog, Qt::Key_Escape);
    });
    Trigger(*Form, "Outputoptions1");
    EXPECT_TRUE(Form->Options().Creation.Plain());
}

} // namespace
} // namespace vortane::test
