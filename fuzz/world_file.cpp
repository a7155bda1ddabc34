// World files from arbitrary bytes, read with both number forms: a file is either refused with a
// reason naming it, or gives six finite numbers, cell sizes other than 0 (Y positive) and no rotation.

#include "temp_input_file.hpp"

#include "raster/raster.hpp"

#include <cmath>
#include <cstdlib>

namespace {

void Check(const std::string& Name, vortane::TWorldNumbers Numbers) {
    vortane::TWorldFile World;
    std::string Problem;
    if (!vortane::ReadWorldFile(Name, Numbers, World, Problem)) {
        if (Problem.rfind(Name + ": ", 0) != 0) std::abort();
        return;
    }
    for (const double Value : {World.CellSizeX, World.CellSizeY, World.OriginX, World.OriginY})
        if (!std::isfinite(Value)) std::abort();
    if (World.CellSizeX == 0 || !(World.CellSizeY > 0) || World.RotationX != 0 || World.RotationY != 0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string Name = fuzzing::TempInputName("world") + ".tfw";
    if (!fuzzing::WriteInputFile(Name, Data, Size)) return 0;
    Check(Name, vortane::TWorldNumbers::PointOrComma);
    Check(Name, vortane::TWorldNumbers::PointOnly);
    return 0;
}
