// VEG files from arbitrary bytes: the text before the first zero byte is the ".dat" header, the rest
// the ".veg" tile file. Tile counts, directory entries and tile offsets must never lead to a read
// outside the file.

#include "raster_input.hpp"

#include "raster/veg/veg_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string Stem = fuzzing::TempInputName("veg");
    std::string Header, Tiles;
    fuzzing::SplitAtZero(Data, Size, Header, Tiles);
    if (fuzzing::WriteText(Stem + ".dat", Header) && fuzzing::WriteText(Stem + ".veg", Tiles))
        fuzzing::OpenAndRead<vortane::TVegFile>(Stem + ".veg");
    return 0;
}
