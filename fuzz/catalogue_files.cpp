// Feeds arbitrary bytes as each stored catalogue file of a catalogue folder, loads the whole catalogue and
// converts a position with every system it built: loading must end, and conversions must stay harmless.
#include "catalogue/catalogue.hpp"

#include "temp_input_file.hpp"

#include <cstddef>
#include <cstdint>
#include <filesystem>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    static const std::string Folder = fuzzing::TempInputName("catalogue") + "/";
    static const bool Created =
        std::filesystem::create_directories(Folder) || std::filesystem::is_directory(Folder);
    if (!Created) return 0;
    for (const char* Name : {"Spher.dat", "Datums.dat", "Lambert1.dat", "Lambert2.dat", "LambEren.dat",
                             "tranmerc.dat", "stereo.dat", "tmgrid.dat"})
        if (!fuzzing::WriteInputFile(Folder + Name, Data, Size)) return 0;

    vortane::TCSList Catalogue;
    Catalogue.LoadAll(Folder);
    const vortane::TCodeList* Lists[] = {&Catalogue.Lambert1s,  &Catalogue.Lambert2s, &Catalogue.LambErens,
                                         &Catalogue.TransMercs, &Catalogue.Stereos,   &Catalogue.TMGrids};
    for (const vortane::TCodeList* List : Lists)
        for (int k = 0; k < List->Count(); ++k) {
            auto* System = static_cast<vortane::TProjection*>(List->Item(k));
            if (Catalogue.Spheroids.Count() > 0) System->SetSpheroid(*Catalogue.Spheroids.Item(0));
            double X = 0, Y = 0, Z = 0, Lat = 0, Lon = 0, H = 0;
            System->GeoToProj(0.8, 0.1, 0.0, X, Y, Z);
            System->ProjToGeo(X, Y, Z, Lat, Lon, H);
        }
    return 0;
}
