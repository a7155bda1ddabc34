#pragma once
// Text helpers: tolerant number reading, catalogue line decoding, trimming, paths and display texts.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vortane {

// The number in Text (surrounding blanks ignored, "." or "," as decimal mark), else Default.
double StrToFloatDef(std::string_view Text, double Default);
// A number filling Text that is finite ("nan", "inf" and overflowing texts are none); nothing otherwise.
std::optional<double> ParseFinite(std::string_view Text);

// Catalogue lines are stored with every byte shifted up by CatalogueShift (mod 256).
extern const unsigned char CatalogueShift;
std::string DecodeCatalogueLine(std::string_view Text);
std::string EncodeCatalogueLine(std::string_view Text);

std::string TrimLeftBlanks(std::string_view Text);
std::string TrimRightBlanks(std::string_view Text);
std::string TrimBlanks(std::string_view Text);
// ASCII letters in upper case; every other byte as it is, whatever the process locale.
std::string UpperCase(std::string_view Text);

// Folder of the running executable, ending with "/".
std::string ProgramDir();
// Where the catalogue files are looked for when no folder is named: ProgramFolder itself when it holds
// "Spher.dat", else the installed data folder ProgramFolder + "../share/vortane/" when that does, else
// ProgramFolder (whose loading then reports the missing files). Folders end with "/".
std::string CatalogueFolderBeside(const std::string& ProgramFolder);
std::string DefaultCatalogueFolder(); // CatalogueFolderBeside(ProgramDir())
std::string ShortenPath(const std::string& Path, int MaxLen);
// A duration in days as "H:M:S" (seconds rounded half to even, no leading zeros).
std::string DaysToHMS(double Days);
std::string RemoveChar(std::string_view Text, char Ch);
std::string QuoteStr(const std::string& Text);

int MinInt(int A, int B);
double MinFloat(double A, double B);
double MaxFloat(double A, double B);
bool BitSet(std::uint8_t Value, int N);

// Up to 15 significant digits, as short as the value allows (general format: scientific notation
// for very large and very small values), '.' as decimal mark whatever the process locale.
std::string GeneralText(double Value);
// Fixed-point text with '.' as decimal mark and exactly Decimals decimals, correctly rounded, whatever
// the process locale; "nan", "inf" or "-inf" for values that are not finite.
std::string FixedDecimals(double Value, int Decimals);
// Fixed-point text with '.' as decimal mark: Value rounded to Significant digits and at most Decimals
// decimals, written with exactly Decimals decimals; scientific notation when the integer part has more
// than Significant digits.
std::string FixedText(double Value, int Significant, int Decimals);

} // namespace vortane
