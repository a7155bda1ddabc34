// Feeds arbitrary bytes as a ".gcp" control point file, then writes every point back in each text form.
#include "gcp/gcp.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

// One temporary file per fuzzing process, rewritten for every input.
const std::string& TempFileName() {
    static const std::string Name = "/tmp/fuzz_gcp_file_" + std::to_string(::getpid()) + ".gcp";
    return Name;
}

bool WriteFile(const std::string& Name, const std::uint8_t* Data, std::size_t Size) {
    std::FILE* File = std::fopen(Name.c_str(), "wb");
    if (File == nullptr) return false;
    const bool Written = std::fwrite(Data, 1, Size, File) == Size;
    return std::fclose(File) == 0 && Written;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (!WriteFile(TempFileName(), Data, Size)) return 0;
    vortane::TGCPList List;
    List.Load(TempFileName());
    std::size_t Total = List.GetSpheroid().size() + List.GetDatum().size() + List.GetProjection().size();
    for (int Index = 0; Index < List.Count(); ++Index) {
        const vortane::TGCPoint& Point = *List.Items(Index);
        Total += Point.ToText().size();
        for (int Field = 0; Field <= 6; ++Field)
            Total += Point.GetField(Field).size();
    }
    // The line forms must read anything too, not only what a file loader splits into lines.
    const std::string Line(reinterpret_cast<const char*>(Data), Size);
    Total += vortane::TGCPoint::CreateFromErsLine(Line).ToText().size();
    // Keeps the texts from being optimised away.
    [[maybe_unused]] static volatile std::size_t Sink;
    Sink = Total;
    return 0;
}
