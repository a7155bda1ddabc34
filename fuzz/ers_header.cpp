// ER Mapper headers from arbitrary bytes: the header is parsed, opened as an image over a small cell
// file and sampled, and written back. Nothing may crash or read out of bounds; a header that was
// read must read again from its own written form, with the same finite, non-zero cell sizes.

#include "raster/cell_codec.hpp"
#include "raster/ers/ers_map.hpp"
#include "text/types.hpp"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const std::filesystem::path& WorkDir() {
    static const std::filesystem::path Dir = [] {
        std::string Pattern = (std::filesystem::temp_directory_path() / "fuzz_ers_XXXXXX").string();
        if (::mkdtemp(Pattern.data()) == nullptr) std::abort();
        std::ofstream(std::filesystem::path(Pattern) / "image", std::ios::binary) << std::string(64, '\x7f');
        return std::filesystem::path(Pattern);
    }();
    return Dir;
}

void WriteFile(const std::string& Name, const char* Data, std::size_t Size) {
    std::ofstream File(Name, std::ios::binary | std::ios::trunc);
    File.write(Data, static_cast<std::streamsize>(Size));
}

bool FiniteNonZero(double Value) {
    return std::isfinite(Value) && Value != 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    using namespace vortane;
    const std::string HeaderName = (WorkDir() / "image.ers").string();
    WriteFile(HeaderName, reinterpret_cast<const char*>(Data), Size);

    {
        TErsMap2 Raster;
        if (Raster.OpenMap(HeaderName, 0, 0, ctUnsigned8, 1, omRead)) {
            float Value = 0;
            Raster.ReadCell(Raster.GetColumns() - 1, Raster.GetRows() - 1, 0, Value);
            Raster.SampleBilinear(0, Value, Raster.GetColumns() / 2.0 + 0.5, 0.5);
            Raster.SampleNearest(1, Value, 63.4, 0);
        }
    }

    TErsHeader Header;
    // Rasters refuse more bands than MaxBands and cells they cannot interpret (a header without a
    // cell type), so such a header is never written.
    if (!Header.ReadHeader(HeaderName) || Header.FBands > THeadMap2::MaxBands ||
        !ForCellType(Header.FCellType, [](auto) {}))
        return 0;
    const std::string Written = Header.HeaderText(std::tm{});
    const std::string RewrittenName = (WorkDir() / "again.ers").string();
    WriteFile(RewrittenName, Written.data(), Written.size());
    TErsHeader Again;
    if (!Again.ReadHeader(RewrittenName)) std::abort();
    if (FiniteNonZero(Header.FCellSizeX) && FiniteNonZero(Header.FCellSizeY) &&
        (Again.FCellSizeX != Header.FCellSizeX || Again.FCellSizeY != Header.FCellSizeY))
        std::abort();
    return 0;
}
