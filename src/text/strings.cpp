#include "text/strings.hpp"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace vortane {

namespace {

bool IsBlank(char Char) {
    return Char == ' ' || Char == '\t';
}

constexpr char PathDelimiter = '/';

} // namespace

// A text of blanks only keeps its last blank. Long texts are never cut: a path or a number of more
// than 255 characters must come through whole.
std::string TrimLeftBlanks(std::string_view Text) {
    std::size_t First = 0;
    while (First + 1 < Text.size() && IsBlank(Text[First]))
        ++First;
    return std::string(Text.substr(First));
}

std::string TrimRightBlanks(std::string_view Text) {
    std::size_t End = Text.size();
    while (End > 0 && IsBlank(Text[End - 1]))
        --End;
    return std::string(Text.substr(0, End));
}

std::string TrimBlanks(std::string_view Text) {
    return TrimLeftBlanks(TrimRightBlanks(Text));
}

std::string UpperCase(std::string_view Text) {
    std::string Upper(Text);
    for (char& Char : Upper)
        if (Char >= 'a' && Char <= 'z') Char = static_cast<char>(Char - 'a' + 'A');
    return Upper;
}

std::string ProgramDir() {
    std::vector<char> Buffer(PATH_MAX);
    const ssize_t Length = ::readlink("/proc/self/exe", Buffer.data(), Buffer.size());
    if (Length <= 0 || static_cast<std::size_t>(Length) >= Buffer.size())
        return std::string(".") + PathDelimiter;
    const std::string Path(Buffer.data(), static_cast<std::size_t>(Length));
    return Path.substr(0, Path.rfind(PathDelimiter) + 1);
}

std::string CatalogueFolderBeside(const std::string& ProgramFolder) {
    const auto HoldsCatalogue = [](const std::string& Folder) {
        std::error_code Ignored;
        return std::filesystem::is_regular_file(Folder + "Spher.dat", Ignored);
    };
    const std::string Installed = ProgramFolder + "../share/vortane/";
    if (!HoldsCatalogue(ProgramFolder) && HoldsCatalogue(Installed)) return Installed;
    return ProgramFolder;
}

std::string DefaultCatalogueFolder() {
    return CatalogueFolderBeside(ProgramDir());
}

std::string ShortenPath(const std::string& Path, int MaxLen) {
    if (MaxLen <= 0 || static_cast<std::size_t>(MaxLen) >= Path.size()) return Path;
    const std::size_t NameStart = Path.rfind(PathDelimiter) + 1; // 0 when there is no folder
    const std::string Folder = Path.substr(0, NameStart);
    const std::string Name = Path.substr(NameStart);
    const long Kept = static_cast<long>(MaxLen) - static_cast<long>(Name.size()) - 4;
    const std::string Short =
        Folder.substr(0, static_cast<std::size_t>(std::max(Kept, 0L))) + "..." + PathDelimiter + Name;
    return Short.substr(0, static_cast<std::size_t>(MaxLen));
}

std::string DaysToHMS(double Days) {
    const double Seconds = std::nearbyint(Days * 86400.0);
    // Beyond this no clock duration makes sense, and the conversion to an integer would overflow.
    constexpr double Limit = 9.0e15;
    if (!(std::fabs(Seconds) < Limit)) return "--:--:--";
    const long long Total = std::llabs(static_cast<long long>(Seconds));
    return std::string(Seconds < 0 ? "-" : "") + std::to_string(Total / 3600) + ":" +
           std::to_string(Total % 3600 / 60) + ":" + std::to_string(Total % 60);
}

std::string RemoveChar(std::string_view Text, char Ch) {
    std::string Result;
    Result.reserve(Text.size());
    for (char Char : Text)
        if (Char != Ch) Result.push_back(Char);
    return Result;
}

std::string QuoteStr(const std::string& Text) {
    if (Text.find('"') != std::string::npos) return Text;
    return '"' + Text + '"';
}

int MinInt(int A, int B) {
    return A < B ? A : B;
}
double MinFloat(double A, double B) {
    return A < B ? A : B;
}
double MaxFloat(double A, double B) {
    return A > B ? A : B;
}

bool BitSet(std::uint8_t Value, int N) {
    const int Bit = (N % 8 + 8) % 8;
    return (Value >> Bit) & 1;
}

std::optional<double> ParseFinite(std::string_view Text) {
    double Value = 0;
    const char* End = Text.data() + Text.size();
    const auto [Stop, Error] = std::from_chars(Text.data(), End, Value);
    if (Error != std::errc() || Stop != End || !std::isfinite(Value)) return std::nullopt;
    return Value;
}

} // namespace vortane
