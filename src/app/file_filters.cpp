#include "app/file_filters.hpp"

#include "job/photo_list.hpp"
#include "raster/format_registry.hpp"

#include <algorithm>
#include <filesystem>

namespace vortane {

const std::string_view InputFilter =
    "Image files(*.osd;*.tif;*.tiff;*.bmp;*.jpg;*.jpeg;*.ers;*.dtm;*.ecw;*.rsw;*.001;*.veg)|"
    "*.osd;*.tif;*.tiff;*.bmp;*.jpg;*.jpeg;*.ers;*.dtm;*.ecw;*.rsw;*.001;*.veg|All files(*.*)|*.*|"
    "Photo list (*.txt)|*.txt";
const std::string_view OutputFilter =
    "OSD file(*.osd)|*.osd|Tiff file (*.tif)|*.tif|BMP file (*.bmp)|*.bmp|ER Mapper files(*.ers)|*.ers|"
    "Jpeg files (*.jpg)|*.jpg;*.jpeg|Z-space files (*.dtm)|*.dtm|ECW file (*.ecw)|*.ecw|"
    "RSW file (*.rsw)|*.rsw|NOG file (*.001)|*.001|VEG file (*.veg)|*.veg";

namespace {

std::vector<std::string> Split(std::string_view Text, char Delimiter) {
    std::vector<std::string> Parts;
    std::size_t Start = 0;
    for (std::size_t End; (End = Text.find(Delimiter, Start)) != std::string_view::npos; Start = End + 1)
        Parts.emplace_back(Text.substr(Start, End - Start));
    Parts.emplace_back(Text.substr(Start));
    return Parts;
}

// Runs of blanks as one, none at either end: dialogs differ in the blanks they keep.
std::string Simplified(std::string_view Text) {
    std::string Out;
    for (const char C : Text) {
        if (C == ' ' || C == '\t') {
            if (!Out.empty() && Out.back() != ' ') Out += ' ';
        } else {
            Out += C;
        }
    }
    if (!Out.empty() && Out.back() == ' ') Out.pop_back();
    return Out;
}

// The text before a trailing parenthesised group, as Qt strips a filter's patterns; the text itself
// when it has none.
std::string WithoutTrailingGroup(std::string_view Text) {
    const std::string Whole = Simplified(Text);
    const std::size_t Open = Whole.rfind('(');
    if (Whole.empty() || Whole.back() != ')' || Open == std::string::npos) return Whole;
    return Simplified(std::string_view(Whole).substr(0, Open));
}

// "*.tif *.tiff" or "*.tif;*.tiff" (alone or in a trailing group) as a sorted list; empty when the
// text names no patterns. "*" and "*.*" are the same pattern.
std::vector<std::string> PatternsIn(std::string_view Text) {
    std::string Group = Simplified(Text);
    const std::size_t Open = Group.rfind('(');
    if (!Group.empty() && Group.back() == ')' && Open != std::string::npos)
        Group = Group.substr(Open + 1, Group.size() - Open - 2);
    std::replace(Group.begin(), Group.end(), ';', ' ');
    std::vector<std::string> Patterns;
    for (const std::string& Pattern : Split(Simplified(Group), ' ')) {
        if (Pattern.empty() || Pattern.front() != '*') return {};
        Patterns.push_back(Pattern == "*.*" ? "*" : Pattern);
    }
    std::sort(Patterns.begin(), Patterns.end());
    return Patterns;
}

// The forms a dialog may give a filter back in, from the longest.
std::vector<std::string> FormsOf(const TNameFilter& Filter) {
    const std::string Full = Simplified(DialogFilterText(Filter));
    const std::string Stripped = WithoutTrailingGroup(Full); // the description
    return {Full, Stripped, WithoutTrailingGroup(Stripped)};
}

int FilterCount(std::string_view Filter) {
    return static_cast<int>(SplitFilter(Filter).size());
}

} // namespace

std::vector<TNameFilter> SplitFilter(std::string_view Filter) {
    const std::vector<std::string> Parts = Split(Filter, '|');
    std::vector<TNameFilter> Filters;
    for (std::size_t i = 0; i + 1 < Parts.size(); i += 2)
        Filters.push_back({Parts[i], Split(Parts[i + 1], ';')});
    return Filters;
}

std::string DialogFilterText(const TNameFilter& Filter) {
    std::string Patterns;
    for (const std::string& Pattern : Filter.Patterns)
        Patterns += (Patterns.empty() ? "" : " ") + (Pattern == "*.*" ? std::string("*") : Pattern);
    return Filter.Description + " (" + Patterns + ")";
}

int FilterIndexOf(std::string_view Filter, std::string_view Selected) {
    const std::vector<TNameFilter> Filters = SplitFilter(Filter);
    const std::string Given = Simplified(Selected);
    const std::string GivenStripped = WithoutTrailingGroup(Given);
    for (std::size_t i = 0; i < Filters.size(); ++i) {
        const std::vector<std::string> Forms = FormsOf(Filters[i]);
        if (std::find(Forms.begin(), Forms.end(), Given) != Forms.end() ||
            std::find(Forms.begin(), Forms.end(), GivenStripped) != Forms.end())
            return static_cast<int>(i) + 1;
    }
    // Patterns only, or a description this program did not write: the filter with the same patterns.
    const std::vector<std::string> GivenPatterns = PatternsIn(Given);
    for (std::size_t i = 0; i < Filters.size() && !GivenPatterns.empty(); ++i)
        if (PatternsIn(DialogFilterText(Filters[i])) == GivenPatterns) return static_cast<int>(i) + 1;
    return 0;
}

bool ChosenIsList(const std::string& FileName, int FilterIndex) {
    switch (InputKindByContent(FileName)) {
    case TInputKind::Image:
        return false;
    case TInputKind::PhotoList:
        return true;
    case TInputKind::Unknown:
        break;
    }
    return FilterIndex >= 2 && FilterIndex <= FilterCount(InputFilter);
}

std::string CompleteOutputName(const std::string& Chosen, int FilterIndex) {
    const TImageFormat* Typed = FindFormat(FileTypeByExt(Chosen));
    if (Typed && Typed->Access == TFormatAccess::ReadWrite) return Chosen;
    const std::vector<TNameFilter> Filters = SplitFilter(OutputFilter);
    if (FilterIndex < 1 || FilterIndex > static_cast<int>(Filters.size())) return Chosen;
    const std::string& Pattern = Filters[static_cast<std::size_t>(FilterIndex - 1)].Patterns.front();
    return Chosen + Pattern.substr(Pattern.find('.')); // "*.osd" gives ".osd"
}

} // namespace vortane
