// vortane-make-sample PATH: writes the bundled sample image, a 3-band ER Mapper image in UTM zone 34
// north on WGS 84, with the project's own raster code.
#include "job/sample_image.hpp"

#include <cstdio>
#include <string>

int main(int Argc, char** Argv) {
    if (Argc != 2) {
        std::fprintf(stderr, "usage: vortane-make-sample OUTPUT.ers\n");
        return 2;
    }
    std::string Error;
    if (!vortane::WriteSampleImage(Argv[1], vortane::TSampleImage{}, Error)) {
        std::fprintf(stderr, "%s\n", Error.c_str());
        return 1;
    }
    return 0;
}
