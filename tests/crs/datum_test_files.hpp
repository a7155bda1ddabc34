#pragma once
// Small grid files written by the datum tests into a temporary folder: NADCON pairs in the binary
// layout (little-endian records of NC + 1 words, header record first, rows south to north, each row a
// word that is not read followed by NC floats west to east) and French text grids.

#include "support/temp_dir.hpp"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace vortane::test {

inline void PutWord(std::vector<unsigned char>& Bytes, std::size_t Offset, std::uint32_t Word) {
    for (int Byte = 0; Byte < 4; ++Byte)
        Bytes[Offset + static_cast<std::size_t>(Byte)] = static_cast<unsigned char>(Word >> (8 * Byte));
}

inline void PutFloat(std::vector<unsigned char>& Bytes, std::size_t Offset, float Value) {
    std::uint32_t Word = 0;
    std::memcpy(&Word, &Value, sizeof Word);
    PutWord(Bytes, Offset, Word);
}

struct TNadConGeometry {
    std::int32_t NC = 24; // at least 23, so that the 96-byte header fits in record 0
    std::int32_t NR = 5;
    float XMin = -100.0f;
    float CellX = 0.25f;
    float YMin = 40.0f;
    float CellY = 0.5f;
};

// Value of node (Row, Column), both counted from 1, in arc-seconds.
using TNodeField = std::function<float(int Row, int Column)>;

// The first word of every row record is not read; it gets this value so that a read of it shows.
constexpr float UnreadWordMarker = 1.0e6f;

inline std::vector<unsigned char> NadConGrid(const TNadConGeometry& G, const TNodeField& Field) {
    const std::size_t RecordBytes = static_cast<std::size_t>(G.NC + 1) * 4;
    std::vector<unsigned char> Bytes(RecordBytes * static_cast<std::size_t>(G.NR + 1), 0);
    const char Ident[] = "NADCON EXTRACTED REGION";
    std::memcpy(Bytes.data(), Ident, sizeof Ident - 1);
    std::memcpy(Bytes.data() + 56, "NADGRD  ", 8);
    PutWord(Bytes, 64, static_cast<std::uint32_t>(G.NC));
    PutWord(Bytes, 68, static_cast<std::uint32_t>(G.NR));
    PutWord(Bytes, 72, 1);
    PutFloat(Bytes, 76, G.XMin);
    PutFloat(Bytes, 80, G.CellX);
    PutFloat(Bytes, 84, G.YMin);
    PutFloat(Bytes, 88, G.CellY);
    for (int Row = 1; Row <= G.NR; ++Row) {
        const std::size_t Record = RecordBytes * static_cast<std::size_t>(Row);
        PutFloat(Bytes, Record, UnreadWordMarker);
        for (int Column = 1; Column <= G.NC; ++Column)
            PutFloat(Bytes, Record + 4 * static_cast<std::size_t>(Column), Field(Row, Column));
    }
    return Bytes;
}

// Writes Base + ".las" and Base + ".los".
inline void WriteNadConPair(const std::string& Base, const TNadConGeometry& G, const TNodeField& LatShift,
                            const TNodeField& LonShift) {
    WriteBytes(Base + ".las", NadConGrid(G, LatShift));
    WriteBytes(Base + ".los", NadConGrid(G, LonShift));
}

// Smooth shift fields of the test pair, arc-seconds, in the size of the real North American shifts.
inline float TestLatShift(int Row, int Column) {
    return 0.25f * static_cast<float>(Row) - 0.125f * static_cast<float>(Column) + 0.5f;
}
inline float TestLonShift(int Row, int Column) {
    return -2.0f + 0.0625f * static_cast<float>(Column) + 0.5f * static_cast<float>(Row) +
           0.03125f * static_cast<float>(Row * Column);
}

struct TFrenchHeader {
    std::string Text; // the header line as written
    int NLon;         // node columns the file supplies
    int NLat;         // node rows per column
};

// Translation of node (Column, Row) of the test grids, metres: exact in decimal and in binary.
struct TTestTranslation {
    double TX, TY, TZ;
};
inline TTestTranslation TestTranslation(int Column, int Row) {
    return {-168.0 + 0.5 * Column + 0.25 * Row, -60.0 - 0.25 * Column + 0.125 * Column * Row,
            320.0 + 0.75 * Row};
}

// A French grid file: the header line, then TX TY TZ precision per node, column by column, each
// column south to north, ValuesPerLine values to a line, lines ended by LineEnd, with a final one.
inline std::string FrenchGridText(const TFrenchHeader& Header, int ValuesPerLine = 8,
                                  const std::string& LineEnd = "\n") {
    std::string Text = Header.Text + LineEnd;
    int OnLine = 0;
    auto Put = [&](const std::string& Value) {
        Text += (OnLine == 0 ? "" : "  ") + Value;
        if (++OnLine == ValuesPerLine) {
            Text += LineEnd;
            OnLine = 0;
        }
    };
    for (int Column = 0; Column < Header.NLon; ++Column)
        for (int Row = 0; Row < Header.NLat; ++Row) {
            const TTestTranslation T = TestTranslation(Column, Row);
            char Buffer[64];
            for (double Value : {T.TX, T.TY, T.TZ}) {
                std::snprintf(Buffer, sizeof Buffer, "%.6f", Value);
                Put(Buffer);
            }
            Put(std::to_string(1 + (Column + Row) % 3));
        }
    if (OnLine != 0) Text += LineEnd;
    return Text;
}

} // namespace vortane::test
