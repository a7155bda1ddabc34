#pragma once
// Base of the header formats whose single band of float cells is not a plain grid file that another
// view could map (DTM cells behind a header and a cell offset, VEG cells in tiles): they read and
// write cells themselves, keep the grid fields so that the samplers can test their bounds, and say
// themselves how their rows can be had whole.

#include "raster/raster.hpp"

#include <cstdint>

namespace vortane {

class TFloatGridMap2 : public THeadMap2 {
public:
protected:
    using THeadMap2::THeadMap2;
    // One band of floats, Columns x Rows; false with "Raster size out of range" for negative sizes.
    bool UseGeometry(std::int32_t Columns, std::int32_t Rows);
};

} // namespace vortane
