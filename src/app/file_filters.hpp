#pragma once
// The file dialogs' filters, kept in the "Description|patterns|Description|patterns" form the users
// know, and what a chosen filter means: the second input filter marks a photo list, an output filter
// gives the extension of a name typed without one.

#include <string>
#include <string_view>
#include <vector>

namespace vortane {

extern const std::string_view InputFilter;
extern const std::string_view OutputFilter;

struct TNameFilter {
    std::string Description;           // shown to the user as it is
    std::vector<std::string> Patterns; // "*.osd", "*.*", ...
};

std::vector<TNameFilter> SplitFilter(std::string_view Filter);

// The input dialog's filters are numbered from 1; a file chosen through "All files" is a photo list.
bool IsListFilter(int FilterIndex);

// The output name as chosen, or, when it has no extension, with the extension of the output filter
// FilterIndex (from 1): ".osd", ".tif", ".bmp", ".ers", ".jpg", ".dtm".
std::string CompleteOutputName(const std::string& Chosen, int FilterIndex);

} // namespace vortane
