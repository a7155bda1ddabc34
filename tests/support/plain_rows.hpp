#pragma once
// Checks that a raster's plain rows, as the row sampler reads them, hold the cells of its cell calls.

#include "raster/mapped_cell_file.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace vortane::test {

// Every cell of Raster's plain rows holds what ReadCell gives, and a cell ReadCell cannot read holds
// the layout's unreadable value.
inline void ExpectPlainRowsHoldTheCells(TMMapFile2& Raster) {
    TRowLayout Layout;
    ASSERT_TRUE(Raster.PlainRowLayout(Layout));
    ASSERT_EQ(Layout.Columns, Raster.GridColumns());
    ASSERT_EQ(Layout.Rows, Raster.GridRows());
    for (std::uint32_t Row = 0; Row < Layout.Rows; ++Row) {
        // Pairs of rows apart, as the bilinear rule maps them, must both stay valid.
        const std::uint32_t Other = Row == 0 ? Layout.Rows - 1 : Row - 1;
        unsigned char *First = nullptr, *Last = nullptr;
        ASSERT_TRUE(Raster.MapRows(std::min(Row, Other), std::max(Row, Other), First, Last)) << Row;
        const unsigned char* Bytes = Row < Other ? First : Last;
        for (std::uint32_t Band = 0; Band < Layout.Bands; ++Band)
            for (std::uint32_t Col = 0; Col < Layout.Columns; ++Col) {
                const float InRow = DecodeCell(Bytes + Layout.FirstBand + Col * Layout.ColumnStride +
                                                   Band * Layout.BandStride,
                                               Layout.CellType, Layout.LSBFirst);
                float Value = 0;
                const bool Read = Raster.ReadCell(Col, Row, Band, Value);
                EXPECT_EQ(Read, !Layout.HasUnreadable || InRow != Layout.Unreadable) << Col << ", " << Row;
                if (Read) {
                    EXPECT_EQ(InRow, Value) << Col << ", " << Row << ", band " << Band;
                }
            }
    }
}

} // namespace vortane::test
