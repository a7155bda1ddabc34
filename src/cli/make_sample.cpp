// vortane-make-sample PATH [COLUMNS ROWS [BANDS [CELL_SIZE]]]: writes the bundled sample image, a 3-band
// ER Mapper image in UTM zone 34 north on WGS 84, with the project's own raster code; the optional
// numbers give other sizes (BANDS 1 makes single floats), as the benchmarks need.
#include "job/sample_image.hpp"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool ReadNumber(const char* Text, double Low, double High, double& Value) {
    char* End = nullptr;
    Value = std::strtod(Text, &End);
    return End != Text && *End == '\0' && Value >= Low && Value <= High;
}

} // namespace

int main(int Argc, char** Argv) {
    vortane::TSampleImage Sample;
    double Columns = Sample.Columns, Rows = Sample.Rows, Bands = Sample.Bands;
    const bool Read =
        (Argc == 2 || Argc == 4 || Argc == 5 || Argc == 6) &&
        (Argc < 4 || (ReadNumber(Argv[2], 1, 1e6, Columns) && ReadNumber(Argv[3], 1, 1e6, Rows))) &&
        (Argc < 5 || ReadNumber(Argv[4], 1, 3, Bands)) &&
        (Argc < 6 || ReadNumber(Argv[5], 1e-6, 1e6, Sample.CellSize));
    if (!Read) {
        std::fprintf(stderr, "usage: vortane-make-sample OUTPUT.ers [COLUMNS ROWS [BANDS [CELL_SIZE]]]\n");
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
