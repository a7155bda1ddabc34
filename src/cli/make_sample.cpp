// vortane-make-sample PATH [COLUMNS ROWS [BANDS [CELL_SIZE]]]: writes the bundled sample image, a 3-band
// ER Mapper image in UTM zone 34 north on WGS 84, with the project's own raster code; the optional
// numbers give other sizes (BANDS 1 makes single floats), as the benchmarks need.
#include "job/sample_image.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char* Usage = "Usage: vortane-make-sample OUTPUT.ers [COLUMNS ROWS [BANDS [CELL_SIZE]]]\n";

void PrintHelp() {
    std::printf("%s", Usage);
    std::printf(
        "Writes a georeferenced sample image: an ER Mapper image in UTM zone 34 north on WGS 84 whose\n"
        "pattern shows any shift or turn after resampling, as the benchmarks and demos need.\n\n"
        "  OUTPUT.ers    the header to write; the cells go beside it, in OUTPUT without extension\n"
        "  COLUMNS       the image width, 1 to 1000000 (default %d)\n"
        "  ROWS          the image height, 1 to 1000000 (default %d)\n"
        "  BANDS         3: colour bytes (gradients, rings, a grid); 1 or 2: floats (default %d)\n"
        "  CELL_SIZE     metres per cell (default %g)\n\n"
        "Example:\n  vortane-make-sample big.ers 8192 8192 3 10\n",
        vortane::TSampleImage{}.Columns, vortane::TSampleImage{}.Rows, vortane::TSampleImage{}.Bands,
        vortane::TSampleImage{}.CellSize);
}

bool ReadNumber(const char* Text, double Low, double High, double& Value) {
    char* End = nullptr;
    Value = std::strtod(Text, &End);
    return End != Text && *End == '\0' && Value >= Low && Value <= High;
}

} // namespace

int main(int Argc, char** Argv) {
    if (Argc == 2 && (std::strcmp(Argv[1], "--help") == 0 || std::strcmp(Argv[1], "-h") == 0)) {
        PrintHelp();
        return 0;
    }
    if (Argc == 2 && std::strcmp(Argv[1], "--version") == 0) {
        std::printf("vortane-make-sample " VORTANE_VERSION "\n");
        return 0;
    }
    vortane::TSampleImage Sample;
    double Columns = Sample.Columns, Rows = Sample.Rows, Bands = Sample.Bands;
    const bool Read =
        (Argc == 2 || Argc == 4 || Argc == 5 || Argc == 6) &&
        (Argc < 4 || (ReadNumber(Argv[2], 1, 1e6, Columns) && ReadNumber(Argv[3], 1, 1e6, Rows))) &&
        (Argc < 5 || ReadNumber(Argv[4], 1, 3, Bands)) &&
        (Argc < 6 || ReadNumber(Argv[5], 1e-6, 1e6, Sample.CellSize));
    if (!Read) {
        std::fprintf(stderr, "%sRun with --help for more information.\n", Usage);
        return 2;
    }
    Sample.Columns = static_cast<std::int32_t>(Columns);
    Sample.Rows = static_cast<std::int32_t>(Rows);
    Sample.Bands = static_cast<std::int32_t>(Bands);
    std::string Error;
    if (!vortane::WriteSampleImage(Argv[1], Sample, Error)) {
        std::fprintf(stderr, "%s\n", Error.c_str());
        return 1;
    }
    return 0;
}
