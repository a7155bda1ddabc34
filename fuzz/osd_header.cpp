// Ortho data set headers from arbitrary bytes: parsed, opened over a small cell file and read, and a
// header that was read must read again from its own written form.

#include "raster_input.hpp"

#include "raster/cell_codec.hpp"
#include "raster/osd/osd_map.hpp"

#include <cstdlib>
#include <ctime>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    using namespace vortane;
    const std::string Stem = fuzzing::TempInputName("osd");
    if (!fuzzing::WriteInputFile(Stem + ".osd", Data, Size) ||
        !fuzzing::WriteText(Stem, std::string(64, '\x7f')))
        return 0;
    fuzzing::OpenAndRead<TOsdMap2>(Stem + ".osd");

    TOsdHeader Header;
    // Headers of cells a raster cannot interpret (no cell type) are never written.
    if (!Header.ReadHeader(Stem + ".osd") || Header.FBands > THeadMap2::MaxBands ||
        !ForCellType(Header.FCellType, [](auto) {}))
        return 0;
    if (!fuzzing::WriteText(Stem + "_again.osd", Header.HeaderText(std::tm{}))) return 0;
    TOsdHeader Again;
    if (!Again.ReadHeader(Stem + "_again.osd")) std::abort();
    return 0;
}
