// Feeds arbitrary bytes as a photo list: loading must end, every entry's output must stay inside the
// output folder (or the entry must say why not), and every name must read back from the line a report
// writes for it.
#include "job/photo_list.hpp"
#include "temp_input_file.hpp"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

void CheckStaysInside(const vortane::TListEntryFiles& Entry) {
    if (!Entry.Problem.empty()) return;
    const std::filesystem::path Out(Entry.OutFile);
    if (!Entry.OutFile.starts_with("/out/") || Entry.OutName.empty()) std::abort();
    for (const auto& Part : Out.lexically_normal())
        if (Part == "..") std::abort();
    if (!Out.lexically_normal().string().starts_with("/out/")) std::abort();
}

void CheckReadsBack(const std::string& Name) {
    std::string Read;
    if (vortane::ReadListLine(vortane::ReportLine(Name, 1, 2, 3, 4), Read) != vortane::EListLine::Entry ||
        Read != Name)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    static const std::string File = fuzzing::TempInputName("photo_list");
    if (!fuzzing::WriteInputFile(File, Data, Size)) return 0;
    vortane::TdbPhoto List;
    if (!List.Load(File)) {
        if (List.ErrorText.empty()) std::abort();
        return 0;
    }
    for (const vortane::TListEntryFiles& Entry :
         vortane::ResolveListEntries("/lists/", "/out/", List.Names, ".ers"))
        CheckStaysInside(Entry);
    for (const std::string& Name : List.Names)
        if (Name.find_first_of("\r\n") == std::string::npos) CheckReadsBack(Name);
    return 0;
}
