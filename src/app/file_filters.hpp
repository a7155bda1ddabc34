#pragma once
// The file dialogs' filters, kept in the "Description|patterns|Description|patterns" form the users
// know, and what a chosen filter means: the input filters tell an image from a photo list (when the
// file's content cannot), an output filter gives the extension of a name typed without one.

#include <string>
#include <string_view>
#include <vector>

namespace vortane {

// Images, "All files", "Photo list (*.txt)": the second keeps its old meaning (a photo list).
extern const std::string_view InputFilter;
// One filter for every format the program writes.
extern const std::string_view OutputFilter;

struct TNameFilter {
    std::string Description;           // shown to the user as it is
    std::vector<std::string> Patterns; // "*.osd", "*.*", ...
};

std::vector<TNameFilter> SplitFilter(std::string_view Filter);

// The filter as a file dialog takes it: the description, then the patterns blank-separated in
// parentheses ("*.*" as "*", so names without a dot are listed too).
std::string DialogFilterText(const TNameFilter& Filter);

// The number (from 1) of the filter of Filter that a dialog reports as selected; 0 when none matches.
// Dialogs report it in different forms: as it was set, without its pattern group (Qt's own dialog
// when it hides the details), as the bare description, or as its patterns only.
int FilterIndexOf(std::string_view Filter, std::string_view Selected);

// Whether the chosen input is a photo list: its content decides when it can (an image format's first
// bytes, or text), otherwise the filter it was chosen through ("All files" or "Photo list").
bool ChosenIsList(const std::string& FileName, int FilterIndex);

// The output name as chosen when its extension selects a format the program writes; otherwise the
// name with the extension of the output filter FilterIndex (from 1) added. Unchanged for an index no
// filter has.
std::string CompleteOutputName(const std::string& Chosen, int FilterIndex);

} // namespace vortane
