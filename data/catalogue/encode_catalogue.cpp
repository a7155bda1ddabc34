// Encodes one plain catalogue source into the stored catalogue file the program reads:
//   encode_catalogue SOURCE.txt STORED.dat
// Every line, comments included, is shifted with EncodeCatalogueLine and ended with CR LF, so the
// stored file decodes back to the source line by line.

#include "text/strings.hpp"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: encode_catalogue SOURCE STORED\n";
        return 2;
    }
    std::ifstream Source(argv[1], std::ios::binary);
    if (!Source) {
        std::cerr << "encode_catalogue: cannot read " << argv[1] << '\n';
        return 1;
    }
    const std::filesystem::path StoredPath(argv[2]);
    if (StoredPath.has_parent_path()) std::filesystem::create_directories(StoredPath.parent_path());
    // Written to a temporary name first so that a failed run never leaves a half-written catalogue.
    const std::filesystem::path TempPath = StoredPath.string() + ".part";
    {
        std::ofstream Stored(TempPath, std::ios::binary | std::ios::trunc);
        std::string Line;
        while (std::getline(Source, Line)) {
            if (!Line.empty() && Line.back() == '\r') Line.pop_back();
            Stored << vortane::EncodeCatalogueLine(Line) << "\r\n";
        }
        if (!Stored.flush()) {
            std::cerr << "encode_catalogue: cannot write " << TempPath << '\n';
            return 1;
        }
    }
    std::error_code Error;
    std::filesystem::rename(TempPath, StoredPath, Error);
    if (Error) {
        std::cerr << "encode_catalogue: cannot write " << StoredPath << ": " << Error.message() << '\n';
        return 1;
    }
    return 0;
}
