#pragma once
// Checks shared by the format tests: an image that must not open or be created fails with its code
// and exact text.

#include "raster/mapped_cell_file.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace vortane::test {

template <typename TRaster>
void ExpectReadRefused(const std::string& Name, int Code, const std::string& Text) {
    TRaster Image;
    EXPECT_FALSE(Image.OpenMap(Name, 0, 0, ctUnsigned8, 1, omRead));
    EXPECT_EQ(Image.ErrorCode(), Code);
    EXPECT_EQ(Image.ErrorText(), Text);
}

template <typename TRaster>
void ExpectCreateRefused(const std::string& Name, std::uint8_t CellType, std::int32_t Bands, int Code,
                         const std::string& Text) {
    TRaster Image;
    EXPECT_FALSE(Image.OpenMap(Name, 4, 4, CellType, Bands, omCreate));
    EXPECT_EQ(Image.ErrorCode(), Code);
    EXPECT_EQ(Image.ErrorText(), Text);
}

} // namespace vortane::test
