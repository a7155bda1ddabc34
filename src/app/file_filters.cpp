#include "app/file_filters.hpp"

#include <filesystem>

namespace vortane {

const std::string_view InputFilter = "Image files(*.osd;*.tif;*.bmp;*.jpg;*.ers;*.dtm;*.ecw)|"
                                     "*.osd;*.tif;*.bmp;*.jpg;*.ers;*.dtm;*.ecw|All files(*.*)|*.*";
const std::string_view OutputFilter =
    "OSD file(*.osd)|*.osd|Tiff file (*.tif)|*.tif|BMP file (*.bmp)|*.bmp|ER Mapper files(*.ers)|*.ers|"
    "Jpeg files (*.jpg)|*.jpg;*.jpeg|Z-space files (*.dtm)|*.dtm";

namespace {

std::vector<std::string> Split(std::string_view Text, char Delimiter) {
    std::vector<std::string> Parts;
    std::size_t Start = 0;
    for (std::size_t End; (End = Text.find(Delimiter, Start)) != std::string_view::npos; Start = End + 1)
        Parts.emplace_back(Text.substr(Start, End - Start));
    Parts.emplace_back(Text.substr(Start));
    return Parts;
}

} // namespace

std::vector<TNameFilter> SplitFilter(std::string_view Filter) {
    const std::vector<std::string> Parts = Split(Filter, '|');
    std::vector<TNameFilter> Filters;
    for (std::size_t i = 0; i + 1 < Parts.size(); i += 2)
        Filters.push_back({Parts[i], Split(Parts[i + 1], ';')});
    return Filters;
}

bool IsListFilter(int FilterIndex) {
    return FilterIndex == 2;
}

std::string CompleteOutputName(const std::string& Chosen, int FilterIndex) {
    if (std::filesystem::path(Chosen).has_extension()) return Chosen;
    const std::vector<TNameFilter> Filters = SplitFilter(OutputFilter);
    if (FilterIndex < 1 || FilterIndex > static_cast<int>(Filters.size())) return Chosen;
    const std::string& Pattern = Filters[static_cast<std::size_t>(FilterIndex - 1)].Patterns.front();
    return Chosen + Pattern.substr(Pattern.find('.')); // "*.osd" gives ".osd"
}

} // namespace vortane
