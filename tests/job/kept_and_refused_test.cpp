// What an output keeps of its input (nothing silently dropped, wrapped or misread), and inputs whose
// georeferencing is damaged, refused with a text naming the file and the field.
#include "job_test_support.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <filesystem>

namespace vortane::test {
namespace {

constexpr double CellSize = 10.0;
constexpr double West = 1000.0, North = 2000.0;

class KeptAndRefused : public JobTest {
protected:
    std::string Image(
        const std::string& Name, int Bands = 1, std::uint8_t CellType = ctUnsigned8,
        const TCellFunction& Value = [](int C, int R, int) { return float(C + R); }) {
        return WriteImage(Name, 4, 3, Bands, CellType, West, North, CellSize, Value);
    }
    // A one-band image of signed bytes as other programs describe it, cells from its bytes.
    std::string SignedBytes(const std::vector<unsigned char>& Cells) {
        const std::string Name = Image("signed.ers", 1, ctUnsigned8, [](int, int, int) { return 0.0f; });
        std::string Header = ReadText(Name);
        Header.replace(Header.find("UNSIGNED8BITINTEGER"), 19, "Signed8BitInteger");
        WriteText(Name, Header);
        WriteBytes(Path("signed"), Cells);
        return Name;
    }

    // An image of Name whose file Side (its header or world file) is then given the text Edit makes of it.
    std::string Damaged(const std::string& Name, const std::string& Side,
                        const std::function<std::string(std::string)>& Edit) {
        const std::string In = Image(Name);
        WriteText(Path(Side), Edit(ReadText(Path(Side))));
        return In;
    }
    std::function<std::string()> Header(const std::string& Name, const std::string& Key,
                                        const std::string& Value) {
        return [=, this] {
            return Damaged(Name, Name, [&](std::string Text) {
                const std::size_t At = Text.find(Key + " = ");
                const std::size_t End = Text.find('\r', At);
                return Text.replace(At, End - At, Key + " = " + Value);
            });
        };
    }
    std::function<std::string()> World(const std::string& Text) {
        return [=, this] { return Damaged("w.bmp", "w.bmpw", [&](const std::string&) { return Text; }); };
    }
};

TEST_F(KeptAndRefused, OutputsKeepEveryBandAndValueOrSayWhyNot) {
    const TCellFunction Colour = [](int C, int R, int B) { return float(C + 10 * R + 50 * B); };
    const TCellFunction Heights = [](int C, int, int) {
        return C == 0 ? 40000.7f : (C == 1 ? -40000.0f : 12.4f);
    };
    const struct {
        std::string Name;
        std::function<std::string()> Input;
        std::string Out;
        std::string Status;
        std::function<void(const std::string& Out)> Check;
    } Cases[] = {
        {"three bands into one-band formats", [&] { return Image("rgb.ers", 3, ctUnsigned8, Colour); },
         "rgb.dtm", "OpenError 1",
         [&](const std::string& Out) {
             EXPECT_EQ(Observer.Failures.back(),
                       "Cannot create " + Out + ": DTM images hold a single band; this image has 3 bands");
             EXPECT_FALSE(std::filesystem::exists(Out));
         }},
        {"three bands into NOG", [&] { return Image("rgb.ers", 3, ctUnsigned8, Colour); }, "rgb.001",
         "OpenError 1",
         [&](const std::string& Out) {
             EXPECT_EQ(Observer.Failures.back(),
                       "Cannot create " + Out + ": NOG images hold a single band; this image has 3 bands");
             EXPECT_FALSE(std::filesystem::exists(Path("rgb.002")));
         }},
        {"three bands into VEG", [&] { return Image("rgb.ers", 3, ctUnsigned8, Colour); }, "rgb.veg",
         "OpenError 1",
         [&](const std::string& Out) {
             EXPECT_EQ(Observer.Failures.back(),
                       "Cannot create " + Out + ": VEG images hold a single band; this image has 3 bands");
         }},
        {"heights beyond 16 bits into NOG", [&] { return Image("heights.ers", 1, ctFloat32, Heights); },
         "heights.001", "Successful Finish",
         [&](const std::string& Out) {
             const TImage Read = ReadImage(Out);
             for (int R = 0; R < 3; ++R) {
                 EXPECT_EQ(Read.At(0, R), 32767);
                 EXPECT_EQ(Read.At(1, R), -32768);
                 EXPECT_EQ(Read.At(2, R), 12);
             }
             const std::string Warning = Out + ": 6 cells held values its cells cannot store; each was " +
                                         "stored as the nearest value they hold";
             EXPECT_EQ(Observer.Warnings, std::vector<std::string>{Warning});
             EXPECT_EQ(LogMessages(Path("heights.log")).at(2), " Warning: " + Warning);
         }},
        {"signed bytes",
         [&] {
             return SignedBytes({0xFB, 0x80, 0x7F, 0x01, 0, 0, 0, 0, 0, 0, 0, 0});
         },
         "copy.ers", "Successful Finish",
         [&](const std::string& Out) {
             const TImage Read = ReadImage(Out);
             EXPECT_EQ(Read.CellType, ctSigned8);
             EXPECT_EQ(std::vector<float>(Read.Cells.begin(), Read.Cells.begin() + 4),
                       (std::vector<float>{-5, -128, 127, 1}));
         }},
        {"a stale preferred JPEG world file",
         [&] {
             WriteText(Path("fresh.jpgw"), "9\n0\n0\n-9\n1\n1\n");
             return Image("grey.ers", 1, ctUnsigned8, Colour);
         },
         "fresh.jpg", "Successful Finish",
         [&](const std::string& Out) {
             EXPECT_EQ(ReadText(Path("fresh.jpgw")), ReadText(Path("fresh.jgw")));
             EXPECT_EQ(ReadImage(Out).OriginX, West);
         }},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Observer.EndEvents = 0;
        Observer.Failures.clear();
        Observer.Warnings.clear();
        const std::string Out = Path(Case.Out);
        EXPECT_EQ(RunJob(Case.Input(), Out, Options(CellSize)), Case.Status);
        Case.Check(Out);
    }
}

TEST_F(KeptAndRefused, DamagedGeoreferencingIsRefusedNamingTheFileAndTheField) {
    const std::string Sound = "10.0\n0.0\n0.0\n-10.0\n1000.0\n2000.0\n";
    const struct {
        std::string Name;
        std::function<std::string()> Input;
        std::string Reason; // after the input file's name and ": "; empty for a run that succeeds
    } Cases[] = {
        {"a sound world file", World(Sound), ""},
        {"a world file cut mid-number", World("10.0\n0.0\n0.0\n-10.0\n1000.0\n2e"),
         "line 6 (northing) holds no finite number: \"2e\""},
        {"a world file with missing lines", World("10.0\n0.0\n0.0\n-10.0\n"), "line 5 (easting) is missing"},
        {"an empty world file", World(""), "the world file is empty"},
        {"a cell size of 0", World("0\n0.0\n0.0\n-10.0\n1000.0\n2000.0\n"), "a cell size of 0 (line 1 or 4)"},
        {"an infinite cell size", World("10.0\n0.0\n0.0\n-inf\n1000.0\n2000.0\n"),
         "line 4 (cell size Y) holds no finite number: \"-inf\""},
        {"a rotated image", World("10.0\n0.5\n0.0\n-10.0\n1000.0\n2000.0\n"),
         "rotated images are not supported (lines 2 and 3 must be 0)"},
        {"Eastings = nan", Header("e.ers", "Eastings", "nan"), "Eastings = NAN is not a finite number"},
        {"an unknown cell type", Header("t.ers", "CellType", "Complex64"),
         "CellType COMPLEX64 is not a cell type this program reads"},
        {"a header without a cell type",
         [&] {
             return Damaged("n.ers", "n.ers", [](std::string Text) {
                 return Text.erase(Text.find("    CellType"),
                                   Text.find("NullCellValue") - Text.find("    CellType"));
             });
         },
         "cells of type ONEBIT cannot be read"},
        {"a cell size of 0 in a header", Header("z.ers", "Xdimension", "0"), "the cell size X is 0"},
        {"a header cut inside a block",
         [&] {
             return Damaged("cut.ers", "cut.ers", [](std::string Text) {
                 return Text.substr(0, Text.find("RegistrationCoord End"));
             });
         },
         "the header ends inside its REGISTRATIONCOORD block: the file was cut short"},
        {"a DTM header whose cell size is not a number",
         [&] {
             const std::string In = Image("h.dtm");
             std::string Bytes = ReadText(In);
             const auto NaN = std::bit_cast<std::uint32_t>(std::numeric_limits<float>::quiet_NaN());
             std::memcpy(Bytes.data() + 44, &NaN, 4);
             WriteText(In, Bytes);
             return In;
         },
         "the cell size Y is nan"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Observer.EndEvents = 0;
        Observer.Failures.clear();
        const std::string In = Case.Input();
        const std::string Status = RunJob(In, Path("out.ers"), Options(CellSize));
        if (Case.Reason.empty()) {
            EXPECT_EQ(Status, "Successful Finish");
            EXPECT_EQ(ReadImage(Path("out.ers")).OriginX, West);
            continue;
        }
        EXPECT_EQ(Status, "OpenError 1");
        ASSERT_EQ(Observer.Failures.size(), 1u);
        const std::string Source = In.substr(0, In.rfind('.')) + (In.ends_with(".bmp") ? ".bmpw" : "");
        EXPECT_EQ(Observer.Failures[0], (In.ends_with(".bmp") ? Source : In) + ": " + Case.Reason);
    }
}

TEST_F(KeptAndRefused, EveryOutputThatCannotBeCreatedSaysWhyBeforeARowIsComputed) {
    const std::string LongStem(251, 'n'); // with ".bmp" the longest name; its ".bmpw" is one longer
    const struct {
        std::string Out;
        int Bands;
        std::uint8_t CellType;
        std::string Status, Reason; // the reason after "Cannot create <Out>: "
        std::string Named = "";     // the file the reason names, when not Out
    } Cases[] = {
        {"f.bmp", 1, ctFloat32, "OpenError 4",
         ",Not supported cell type(must be byte type): SIGNED32BITSINGLE"},
        {"two.bmp", 2, ctUnsigned8, "OpenError 5", "Wrong number of bands(must be 1 or 3)"},
        {"two.tif", 2, ctUnsigned8, "OpenError 1", "Wrong number of bands(must be 1 or 3)"},
        {"one.rsw", 1, ctUnsigned8, "OpenError 3", "Error bands<>3"},
        {"f.jpg", 1, ctFloat32, "OpenError 1", "JPEG images hold cells of one byte, not SIGNED32BITSINGLE"},
        {"two.ecw", 2, ctUnsigned8, "OpenError 1", "ECW images hold 1 or 3 bands, not 2"},
        {LongStem + ".bmp", 1, ctUnsigned8, "OpenError 36", "File name too long", LongStem + ".bmpw"},
        {"blocked.jpg", 1, ctUnsigned8, "OpenError 21", "Is a directory", "blocked.jgw"},
        {"blocked.tif", 1, ctUnsigned8, "OpenError 21", "Is a directory", "blocked.tfw"},
    };
    std::filesystem::create_directory(Path("blocked.jgw"));
    std::filesystem::create_directory(Path("blocked.tfw"));
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Out);
        Observer.EndEvents = 0;
        Observer.Failures.clear();
        Observer.Views.clear();
        const std::string In = Image("in.ers", Case.Bands, Case.CellType);
        EXPECT_EQ(RunJob(In, Path(Case.Out), Options(CellSize)), Case.Status);
        const std::string Named = Path(Case.Named.empty() ? Case.Out : Case.Named);
        EXPECT_EQ(Observer.Failures, std::vector<std::string>{"Cannot create " + Named + ": " + Case.Reason});
        EXPECT_TRUE(Observer.Views.empty()) << "no row was computed";
        EXPECT_FALSE(std::filesystem::exists(Path(Case.Out)));
    }
}

TEST_F(KeptAndRefused, AnImageThatNothingPlacesIsWarpedWithAWarning) {
    const std::string In = Image("bare.bmp");
    std::filesystem::remove(Path("bare.bmpw"));
    EXPECT_EQ(RunJob(In, Path("bare_out.ers"), Options(1)), "Successful Finish");
    const std::string Warning = In + ": nothing places it on the map (no world file beside it, say); its " +
                                "top-left corner is taken to lie at 0, 0 and its cells to measure 1 x 1";
    EXPECT_EQ(Observer.Warnings, std::vector<std::string>{Warning});
    EXPECT_EQ(LogMessages(Path("bare_out.log")).at(2), " Warning: " + Warning);
    EXPECT_EQ(ReadImage(Path("bare_out.ers")).OriginX, 0);
}

} // namespace
} // namespace vortane::test
