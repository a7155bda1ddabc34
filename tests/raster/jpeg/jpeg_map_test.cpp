#include "raster/jpeg/jpeg_map.hpp"

#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include <cstdio>
#include <cstring>
#include <string>

#include <jpeglib.h>

namespace vortane {
namespace {

using test::ReadBytes;
using test::ReadText;
using test::WriteBytes;
using test::WriteText;

class JpegTest : public test::TTempDirTest {
protected:
    // A created image of the given size with cell (c, r, b) = 10 r + c + 50 b, released (encoded).
    std::string MakeImage(const std::string& Name, std::int32_t Columns, std::int32_t Rows,
                          std::int32_t Bands) {
        const std::string FileName = Path(Name);
        TJpgMap2 Image;
        EXPECT_TRUE(Image.OpenMap(FileName, Columns, Rows, ctUnsigned8, Bands, omCreate));
        for (std::int32_t B = 0; B < Bands; ++B)
            for (std::int32_t R = 0; R < Rows; ++R)
                for (std::int32_t C = 0; C < Columns; ++C)
                    Image.WriteCell(C, R, static_cast<std::uint32_t>(B),
                                    static_cast<float>(10 * R + C + 50 * B));
        return FileName;
    }
};

// Rows are padded to 4 bytes; cells are bytes that keep the low 8 bits of the value rounded half to
// even; indexes are compared unsigned and bands clamped to the last one.
TEST_F(JpegTest, BufferLayoutAndCellRules) {
    struct {
        std::int32_t Columns, Bands;
        std::uint64_t LineSize;
    } const Layouts[] = {{5, 3, 16}, {4, 1, 4}, {1, 1, 4}, {3, 3, 12}, {7, 1, 8}};
    for (const auto& L : Layouts) {
        TJpgMap2 Image;
        ASSERT_TRUE(Image.OpenMap(Path("layout.jpg"), L.Columns, 2, ctUnsigned8, L.Bands, omCreate));
        EXPECT_EQ(Image.LineSize(), L.LineSize) << L.Columns << " x " << L.Bands;
    }

    TJpgMap2 Grey;
    ASSERT_TRUE(Grey.OpenMap(Path("grey.jpg"), 4, 3, ctUnsigned8, 1, omCreate));
    struct {
        float Written, Read;
    } const Stores[] = {{2.5f, 2}, {3.5f, 4}, {255.6f, 0}, {-1, 255}, {256, 0}, {17.49f, 17}};
    for (const auto& S : Stores) {
        ASSERT_TRUE(Grey.WriteCell(1, 2, 0, S.Written));
        float Value = -1;
        ASSERT_TRUE(Grey.ReadCell(1, 2, 7, Value)); // band 7 of a grey image is band 0
        EXPECT_EQ(Value, S.Read) << S.Written;
        EXPECT_EQ(Grey.Buffer()[2 * 4 + 1], S.Read);
    }
    float Value = 99;
    EXPECT_FALSE(Grey.ReadCell(-1, 0, 0, Value));
    EXPECT_EQ(Value, 0);
    EXPECT_FALSE(Grey.ReadCell(4, 0, 0, Value));
    EXPECT_FALSE(Grey.WriteCell(0, 3, 0, 1));
    EXPECT_FALSE(Grey.GoToRow(3, 0));
}

TEST_F(JpegTest, CreateRefusesWhatJpegCannotHold) {
    struct {
        std::int32_t Columns;
        std::uint8_t CellType;
        std::int32_t Bands;
    } const Refused[] = {
        {4, ctUnsigned8, 2}, {4, ctUnsigned8, 4}, {4, ctFloat32, 1}, {70000, ctUnsigned8, 1}};
    for (const auto& R : Refused) {
        TJpgMap2 Image;
        EXPECT_FALSE(Image.OpenMap(Path("refused.jpg"), R.Columns, 3, R.CellType, R.Bands, omCreate));
    }
    TJpgMap2 Image;
    EXPECT_FALSE(Image.OpenMap(Path("x.jpg"), 4, 3, ctUnsigned8, 1, 7));
}

TEST_F(JpegTest, AWorldFileThatCannotBeWrittenFailsTheImage) {
    std::filesystem::create_directory(Path("blocked.jgw"));
    TJpgMap2 Image;
    ASSERT_TRUE(Image.OpenMap(Path("blocked.jpg"), 4, 3, ctUnsigned8, 1, omCreate));
    Image.SetGeoreference("WE", "WGS84", "NUTM34", 1, 1, 0, 0, 500000, 100);
    EXPECT_FALSE(Image.Finish());
    EXPECT_EQ(Image.ErrorText(), "Cannot write " + Path("blocked.jgw") + ": Is a directory");
}

// ".jpgw" wins over ".jgw"; SetGeoreference writes ".jgw" (and rewrites the ".jpgw"); without a
// world file the texts stay "RAW".
TEST_F(JpegTest, WorldFiles) {
    const std::string Name = MakeImage("world.jpg", 6, 4, 3);
    {
        TJpgMap2 Image;
        ASSERT_TRUE(Image.OpenMap(Name, 0, 0, ctUnsigned8, 1, omRead));
        EXPECT_EQ(Image.GetProjection(), "RAW");
        EXPECT_EQ(Image.GetCellSizeX(), 1.0);
        EXPECT_FALSE(Image.HasGeoreference());
    }
    WriteText(Path("world.jgw"), "2\r\n0\r\n0\r\n-2\r\n100\r\n200\r\n");
    WriteText(Path("world.jpgw"), "0,5\n0\n0\n-0.25\n7\n8\n");
    TJpgMap2 Image;
    ASSERT_TRUE(Image.OpenMap(Name, 0, 0, ctUnsigned8, 1, omRead));
    EXPECT_TRUE(Image.HasGeoreference());
    EXPECT_EQ(Image.GetCellSizeX(), 0.5);
    EXPECT_EQ(Image.GetCellSizeY(), 0.25);
    EXPECT_EQ(Image.GetRegEasting(), 7);
    EXPECT_EQ(Image.GetRegNorthing(), 8);
    EXPECT_EQ(Image.GetProjection(), "UNKNOWN");
    EXPECT_EQ(Image.GetDatum(), "UNKNOWN");

    Image.SetGeoreference("WE", "WGS84", "NUTM34", 0.5, 2, 1, 1, 500000, 100);
    EXPECT_EQ(ReadText(Path("world.jgw")),
              "  0.50000000000000\r\n  0.00000000000000\r\n  0.00000000000000\r\n"
              " -2.00000000000000\r\n499999.50000000000000\r\n102.00000000000000\r\n");
    EXPECT_EQ(Image.GetProjection(), "NUTM34");
    EXPECT_EQ(ReadText(Path("world.jpgw")), ReadText(Path("world.jgw")));
}

TEST_F(JpegTest, UpdatedImageIsWrittenBackAtRelease) {
    const std::string Name = MakeImage("update.jpg", 9, 8, 1);
    {
        TJpgMap2 Image;
        ASSERT_TRUE(Image.OpenMap(Name, 0, 0, ctUnsigned8, 1, omUpdate));
        for (std::int32_t Row = 0; Row < 8; ++Row)
            for (std::int32_t Col = 0; Col < 9; ++Col)
                Image.WriteCell(Col, Row, 0, 200);
    }
    TJpgMap2 Image;
    ASSERT_TRUE(Image.OpenMap(Name, 0, 0, ctUnsigned8, 1, omRead));
    float Value = 0;
    ASSERT_TRUE(Image.ReadCell(4, 5, 0, Value));
    EXPECT_NEAR(Value, 200, 1);
}

TEST_F(JpegTest, OpenMapReadGivesTheDescriptionOnly) {
    const std::string Name = MakeImage("describe.jpg", 7, 5, 3);
    TJpgMap2 Image;
    ASSERT_TRUE(Image.OpenMapRead(Name));
    EXPECT_EQ(Image.GetColumns(), 7);
    EXPECT_EQ(Image.GetRows(), 5);
    EXPECT_EQ(Image.GetBands(), 3);
    EXPECT_EQ(Image.LineSize(), 24u);
    EXPECT_EQ(Image.Buffer(), nullptr);
    TJpgMap2 Missing;
    EXPECT_FALSE(Missing.OpenMapRead(Path("none.jpg")));
    EXPECT_EQ(Missing.ErrorText(), "File not Exists");
}

// A CMYK JPEG written with libjpeg itself: four channels are refused.
void WriteCmykJpeg(const std::string& FileName) {
    jpeg_compress_struct Info;
    jpeg_error_mgr Errors;
    Info.err = jpeg_std_error(&Errors);
    jpeg_create_compress(&Info);
    std::FILE* File = std::fopen(FileName.c_str(), "wb");
    jpeg_stdio_dest(&Info, File);
    Info.image_width = 8;
    Info.image_height = 8;
    Info.input_components = 4;
    Info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&Info);
    jpeg_start_compress(&Info, TRUE);
    unsigned char Line[32] = {};
    JSAMPROW Row = Line;
    while (Info.next_scanline < Info.image_height)
        jpeg_write_scanlines(&Info, &Row, 1);
    jpeg_finish_compress(&Info);
    jpeg_destroy_compress(&Info);
    std::fclose(File);
}

// Files that cannot be decoded fail with code 1 and the "Open read error " text, never end the process.
TEST_F(JpegTest, UndecodableFilesFailOpening) {
    const std::vector<unsigned char> Good = ReadBytes(MakeImage("good.jpg", 40, 30, 3));
    WriteCmykJpeg(Path("cmyk.jpg"));
    WriteBytes(Path("garbage.jpg"), {0xFF, 0xD8, 0xFF, 0x00, 1, 2, 3, 4, 5, 6, 7, 8});
    WriteBytes(Path("truncated.jpg"),
               std::vector<unsigned char>(Good.begin(), Good.begin() + Good.size() / 2));
    WriteBytes(Path("header_only.jpg"), std::vector<unsigned char>(Good.begin(), Good.begin() + 700));
    std::filesystem::create_directory(Path("folder.jpg"));
    for (const char* Name : {"cmyk.jpg", "garbage.jpg", "truncated.jpg", "header_only.jpg", "folder.jpg"}) {
        TJpgMap2 Image;
        EXPECT_FALSE(Image.OpenMap(Path(Name), 0, 0, ctUnsigned8, 1, omRead)) << Name;
        EXPECT_EQ(Image.ErrorCode(), 1) << Name;
        EXPECT_EQ(Image.ErrorText().rfind("Open read error 1 ", 0), 0u) << Image.ErrorText();
        EXPECT_EQ(Image.Buffer(), nullptr) << Name;
    }
}

} // namespace
} // namespace vortane
