// What an output keeps of its input: nothing silently dropped, wrapped or misread on the way.
#include "job_test_support.hpp"

#include <algorithm>
#include <filesystem>

namespace vortane::test {
namespace {

constexpr double CellSize = 10.0;
constexpr double West = 1000.0, North = 2000.0;

class StoredValues : public JobTest {
protected:
    std::string Image(const std::string& Name, int Bands, std::uint8_t CellType, const TCellFunction& Value) {
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
};

TEST_F(StoredValues, OutputsKeepEveryBandAndValueOrSayWhyNot) {
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
        {"a JPEG world file that cannot be written",
         [&] {
             std::filesystem::create_directory(Path("blocked.jgw"));
             return Image("grey.ers", 1, ctUnsigned8, Colour);
         },
         "blocked.jpg", "WriteError 5",
         [&](const std::string&) {
             EXPECT_EQ(Observer.Failures.back(), "Cannot write " + Path("blocked.jgw") + ": Is a directory");
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

} // namespace
} // namespace vortane::test
