#include "raster/float_grid_map.hpp"

#include "text/types.hpp"

namespace vortane {

bool TFloatGridMap2::UseGeometry(std::int32_t Columns, std::int32_t Rows) {
    if (Columns < 0 || Rows < 0) return OwnError("Raster size out of range");
    FColumns = static_cast<std::uint32_t>(Columns);
    FRows = static_cast<std::uint32_t>(Rows);
    FBands = 1;
    FCellType = ctFloat32;
    SetMSBFirst(false);
    return true;
}

} // namespace vortane
