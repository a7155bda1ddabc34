#include "text/map.hpp"

#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gmock/gmock.h>

#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace vortane {
namespace {

using test::TTempDirTest;
using namespace std::string_literals;

const std::string End(1, char(EndMarker));
const std::string LF = "\n";

class ReadLineTest : public TTempDirTest {
protected:
    std::vector<std::string> AllLines(std::string_view Bytes, std::size_t Limit = 100) {
        TReadLine Reader(WriteFile("lines.txt", Bytes));
        std::vector<std::string> Lines;
        std::string Line;
        do {
            Reader.ReadLine(Line);
            Lines.push_back(Line);
        } while (!IsEndMarker(Line) && Lines.size() < Limit);
        return Lines;
    }

    // Tokens until the end marker; an LF token is stepped over as line-crossing callers do.
    std::vector<std::string> AllTokens(std::string_view Bytes, std::string_view Delimiters,
                                       std::size_t Limit = 100) {
        TReadLine Reader(WriteFile("tokens.txt", Bytes));
        std::vector<std::string> Tokens;
        std::string Token;
        do {
            Reader.ReadToken(Delimiters, Token);
            if (Token == LF) Reader.NextChar();
            Tokens.push_back(Token);
        } while (!IsEndMarker(Token) && Tokens.size() < Limit);
        return Tokens;
    }
};

TEST_F(ReadLineTest, ReadLineSplitsLinesDropsCrAndEndsWithMarker) {
    struct TCase {
        std::string Bytes;
        std::vector<std::string> Lines;
    };
    const std::vector<TCase> Cases = {
        {"ab\r\nc", {"ab", "c", End}},
        {"ab\n", {"ab", End}},
        {"a\r\rb\n\nc\n", {"ab", "", "c", End}},
        {"no line end at all", {"no line end at all", End}},
        {"\n", {"", End}},
        // A 26 byte starting a line ends the file; inside a line it ends the line.
        {"one\n\x1Atwo\n", {"one", End}},
        {"on\x1A"
         "e\ntwo",
         {"on", "e", "two", End}},
        {"a\0b\n"s, {"a\0b"s, End}},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(AllLines(Case.Bytes), Case.Lines) << ::testing::PrintToString(Case.Bytes);
}

TEST_F(ReadLineTest, ReadTokenSplitsAtDelimitersAndSkipsNulAndCr) {
    struct TCase {
        std::string Bytes;
        std::string Delimiters;
        std::vector<std::string> Tokens;
    };
    const std::vector<TCase> Cases = {
        {"1 2", " ", {"1", "2", End}},
        {"  1   2  ", " ", {"1", "2", End}},
        {"1 2\r\n3", " ", {"1", "2", LF, "3", End}},
        {"a\0b\rc d"s, " ", {"abc", "d", End}},
        {"x,y;z", ",;", {"x", "y", "z", End}},
        // The end marker must end the skipping even when 26 is listed as a delimiter.
        {"p q", " \x1A", {"p", "q", End}},
        {" ", " ", {End}},
        {"\x1A\x1A", "\x1A", {End}},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(AllTokens(Case.Bytes, Case.Delimiters), Case.Tokens)
            << ::testing::PrintToString(Case.Bytes);
}

TEST_F(ReadLineTest, ReadTokenCutsLongTokensAt255Characters) {
    const std::string Long(600, 'x');
    const std::vector<std::string> Tokens = AllTokens(Long, " ");
    ASSERT_EQ(Tokens.size(), 4u);
    EXPECT_EQ(Tokens[0], std::string(255, 'x'));
    EXPECT_EQ(Tokens[1], std::string(255, 'x'));
    EXPECT_EQ(Tokens[2], std::string(90, 'x'));
    EXPECT_EQ(Tokens[3], End);
}

TEST_F(ReadLineTest, SkipLineStepsOntoTheNextLineForTokens) {
    TReadLine Reader(WriteFile("header.txt", "header line\r\n1 2\n3"));
    std::string Text;
    Reader.ReadLine(Text);
    EXPECT_EQ(Text, "header line");
    Reader.SkipLine();
    EXPECT_EQ(Reader.Cur, '1');
    Reader.ReadToken(" ", Text);
    EXPECT_EQ(Text, "1");
    Reader.SkipLine(); // from inside a line: onto its LF
    EXPECT_EQ(Reader.Cur, '\n');
    Reader.SkipLine();
    Reader.ReadToken(" ", Text);
    EXPECT_EQ(Text, "3");
    Reader.SkipLine();
    Reader.SkipLine();
    EXPECT_EQ(Reader.Cur, EndMarker);
}

TEST_F(ReadLineTest, ReadTokenAtLineEndStaysOnTheLineFeed) {
    TReadLine Reader(WriteFile("lf.txt", "a\nb"));
    std::string Token;
    Reader.ReadToken(" ", Token);
    EXPECT_EQ(Token, "a");
    Reader.ReadToken(" ", Token);
    EXPECT_EQ(Token, LF);
    Reader.ReadToken(" ", Token);
    EXPECT_EQ(Token, LF);
    EXPECT_EQ(Reader.Pos, 1);
}

TEST_F(ReadLineTest, ReadingPastTheEndKeepsYieldingTheMarker) {
    TReadLine Reader(WriteFile("ab.txt", "ab"));
    EXPECT_EQ(Reader.Pos, -1);
    EXPECT_EQ(Reader.NextChar(), 'a');
    EXPECT_EQ(Reader.NextChar(), 'b');
    for (int I = 0; I < 3; ++I)
        EXPECT_EQ(Reader.NextChar(), EndMarker);
    Reader.Reset();
    EXPECT_EQ(Reader.Cur, 0);
    EXPECT_EQ(Reader.NextChar(), 'a');
}

TEST_F(ReadLineTest, LongLinesAndRandomBytesAreReadWithoutFault) {
    const std::string Megabyte(1 << 20, 'z');
    const std::vector<std::string> Lines = AllLines(Megabyte + "\r\nend");
    ASSERT_EQ(Lines.size(), 3u);
    EXPECT_EQ(Lines[0], Megabyte);
    EXPECT_EQ(Lines[1], "end");

    std::mt19937 Random(7);
    std::string Garbage(100000, '\0');
    for (char& Byte : Garbage)
        Byte = static_cast<char>(Random());
    const std::vector<std::string> Read = AllLines(Garbage, 1000000);
    EXPECT_TRUE(IsEndMarker(Read.back()));
    const std::vector<std::string> Tokens = AllTokens(Garbage, " \t", 1000000);
    EXPECT_TRUE(IsEndMarker(Tokens.back()));
}

TEST_F(ReadLineTest, CreateFailsWithTheReadersMessages) {
    struct TCase {
        std::string FileName;
        std::string Message;
    };
    const std::vector<TCase> Cases = {
        {"", "ReadLine error No file name"},
        {Path("missing.txt"), "Open read error"},
        {WriteFile("empty.txt", ""), "Open read error"},
        {Path(""), "Open read error"}, // a folder
        {Path("pipe"), "Open read error"},
    };
    ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
    for (const TCase& Case : Cases) {
        try {
            TReadLine Reader(Case.FileName);
            ADD_FAILURE() << "no exception for " << Case.FileName;
        } catch (const EReadLineError& Error) {
            EXPECT_EQ(std::string(Error.what()), Case.Message);
        }
    }
}

class MapTest : public TTempDirTest {};

TEST_F(MapTest, GetCellConvertsEachCellTypeInBothByteOrders) {
    // 0x80 0x01 0xFF 0xFE  then a little-endian float 1.5.
    const std::string Path = WriteFile("cells.bin", "\x80\x01\xFF\xFE\x00\x00\xC0\x3F"s);
    struct TCase {
        std::uint8_t CellType;
        bool BigEndian;
        std::uint64_t Index;
        double Expected;
    };
    const std::vector<TCase> Cases = {
        {ctOneBit, false, 0, 1.0},
        {ctOneBit, false, 1, 0.0},
        {ctOneBit, false, 15, 1.0},
        {ctUnsigned8, false, 2, 255.0},
        {ctSigned16, false, 0, 384.0},   // 0x0180
        {ctSigned16, true, 0, -32767.0}, // 0x8001
        {ctSigned16, false, 1, -257.0},  // 0xFEFF
        {ctUnsigned16, false, 1, 65279.0},
        {ctUnsigned16, true, 1, 65534.0},
        {ctSigned32, false, 0, -16842368.0},  // 0xFEFF0180
        {ctSigned32, true, 0, -2147352578.0}, // 0x8001FFFE
        {ctFloat32, false, 1, 1.5},
        {ctFloat32, true, 1, 1.5}, // floats are never swapped
        {ctSigned8, false, 0, 0.0},
        {ctRGB24, false, 0, 0.0},
        {ctUnknown, false, 3, 0.0},
    };
    for (const TCase& Case : Cases) {
        TMap Map(Path, Case.CellType, 0, Case.BigEndian);
        ASSERT_TRUE(Map.Open());
        double Value = -1.0;
        EXPECT_TRUE(Map.GetCell(Case.Index, Value)) << int(Case.CellType);
        EXPECT_EQ(Value, Case.Expected) << int(Case.CellType) << " index " << Case.Index;
    }
}

TEST_F(MapTest, CellsOutsideTheFileGiveFalseAndZero) {
    const std::string Path = WriteFile("five.bin", "\x01\x02\x03\x04\x05");
    struct TCase {
        std::uint8_t CellType;
        std::uint64_t CellCount;
        std::uint64_t FirstOutside;
    };
    const std::vector<TCase> Cases = {
        {ctOneBit, 40, 40}, {ctUnsigned8, 5, 5}, {ctSigned16, 2, 2}, {ctSigned32, 1, 1}, {ctFloat64, 0, 0},
    };
    for (const TCase& Case : Cases) {
        TMap Map(Path, Case.CellType, 0, false);
        ASSERT_TRUE(Map.Open());
        EXPECT_EQ(Map.FileSize, 5u);
        EXPECT_EQ(Map.CellCount, Case.CellCount);
        for (std::uint64_t Index :
             {Case.FirstOutside, Case.FirstOutside + 1, ~std::uint64_t{0}, ~std::uint64_t{0} / 2 + 1}) {
            double Value = 7.0;
            EXPECT_FALSE(Map.GetCell(Index, Value)) << int(Case.CellType) << " index " << Index;
            EXPECT_EQ(Value, 0.0);
        }
    }
}

TEST_F(MapTest, OpenRefusesWhenAskedNotToOpenOrTheFileIsUnusable) {
    TMap Forbidden(WriteFile("a.bin", "abc"), ctUnsigned8, 1, false);
    EXPECT_FALSE(Forbidden.Open());

    TMap Missing(Path("missing.bin"), ctUnsigned8, 0, false);
    EXPECT_FALSE(Missing.Open());
    EXPECT_EQ(Missing.LastError, ENOENT);

    TMap Empty(WriteFile("empty.bin", ""), ctUnsigned8, 0, false);
    EXPECT_FALSE(Empty.Open());
    EXPECT_NE(Empty.LastError, 0);
    double Value = 1.0;
    EXPECT_FALSE(Empty.GetCell(0, Value));

    EXPECT_THROW(TMap("", ctUnsigned8, 0, false), EMapError);
}

} // namespace
} // namespace vortane
