#include "cli/catalogue_command.hpp"

#include "catalogue/catalogue.hpp"
#include "catalogue/system_search.hpp"
#include "text/map.hpp"
#include "text/strings.hpp"

#include <cstdio>
#include <iostream>
#include <memory>
#include <ostream>
#include <set>
#include <string_view>

namespace vortane {

namespace {

using TTranslate = std::string (*)(std::string_view);

// What one direction of the line shift must never produce, and why.
struct TLineShift {
    TTranslate Translate;
    std::string_view Forbidden; // bytes that may not appear in a translated line
    std::string_view Reason;    // completes "line N: byte 0xNN ..."
};

// The loader splits stored lines at LF, drops CR and stops at the end-of-file mark before decoding,
// so a stored line holding one of those bytes would not read back as the line it came from.
static_assert(EndMarker == 0x1A);
constexpr TLineShift EncodeShift = {EncodeCatalogueLine, std::string_view("\n\r\x1A", 3),
                                    "would be stored as a line end or the end-of-file mark"};
// A decoded line feed would split the line in two.
constexpr TLineShift DecodeShift = {DecodeCatalogueLine, "\n", "decodes to a line feed"};

std::string HexByte(unsigned char Byte) {
    char Text[8];
    std::snprintf(Text, sizeof Text, "0x%02X", Byte);
    return Text;
}

// Reads one line ending with LF or CR LF (the last line may lack its LF). False at the end of In.
bool ReadInputLine(std::istream& In, std::string& Line) {
    if (!std::getline(In, Line)) return false;
    if (!Line.empty() && Line.back() == '\r') Line.pop_back();
    return true;
}

int ShiftLines(const TLineShift& Shift, std::istream& In, std::ostream& Out, std::ostream& Err) {
    int ExitCode = ExitSuccess;
    std::string Line;
    for (long LineNumber = 1; ReadInputLine(In, Line); ++LineNumber) {
        const std::string Result = Shift.Translate(Line);
        const std::size_t Bad = Result.find_first_of(Shift.Forbidden);
        if (Bad != std::string::npos) {
            Err << "line " << LineNumber << ": byte " << HexByte(static_cast<unsigned char>(Line[Bad])) << ' '
                << Shift.Reason << "; line not written\n";
            ExitCode = ExitFailure;
            continue;
        }
        Out << Result << "\r\n";
    }
    Out.flush();
    return ExitCode;
}

// The file holds 1/f and writes a sphere as 0.
std::string InverseFlatteningText(double Flattening) {
    return Flattening == 0.0 ? "0" : GeneralText(1.0 / Flattening);
}

void PrintSpheroids(const TCSList& Catalogue, std::ostream& Out) {
    Out << "Spheroids (code, a in metres, 1/f, description):\n";
    for (int I = 0; I < Catalogue.Spheroids.Count(); ++I) {
        const TSpheroid& Spheroid = *Catalogue.Spheroids.Item(I);
        Out << "  " << Spheroid.Name << '\t' << GeneralText(Spheroid.A) << '\t'
            << InverseFlatteningText(Spheroid.F) << '\t' << Spheroid.Description << '\n';
    }
}

void PrintDatums(const TCSList& Catalogue, std::ostream& Out) {
    Out << "Datums (name, spheroid, region, comment):\n";
    for (int I = 0; I < Catalogue.Datums.Count(); ++I) {
        const TDatumRecord& Datum = *Catalogue.Datums.Item(I);
        Out << "  " << Datum.Name << '\t' << Datum.SpheroidCode << '\t' << Datum.Region << '\t'
            << Datum.Comment << '\n';
    }
}

// The chooser's second page: each type the spheroid offers, then the systems of that type on it.
void PrintProjectionTypes(const TCSList& Catalogue, std::ostream& Out) {
    Out << "Projection types and their systems, per spheroid:\n";
    for (int I = 0; I < Catalogue.Spheroids.Count(); ++I) {
        const TSpheroid& Spheroid = *Catalogue.Spheroids.Item(I);
        Out << "  " << Spheroid.Name << '\t' << Spheroid.Description << '\n';
        for (int T = 0; T < Spheroid.PrjTypes.Count(); ++T) {
            const TPrjTypeRecord& Type = *Spheroid.PrjTypes.Item(T);
            Out << "    " << Type.Name << '\n';
            for (const std::int32_t Index : Type.Refs.Values())
                Out << "      " << Type.Systems->Item(Index)->Name << '\n';
        }
    }
}

// Per projection type, the form its systems are computed by: by default and with --exact-projections.
void PrintProjectionForms(const TCSList& Catalogue, std::ostream& Out) {
    Out << "Projection forms (type, default, with --exact-projections):\n";
    std::set<std::string> Listed;
    for (int I = 0; I < Catalogue.Spheroids.Count(); ++I) {
        const TSpheroid& Spheroid = *Catalogue.Spheroids.Item(I);
        for (int T = 0; T < Spheroid.PrjTypes.Count(); ++T) {
            const TPrjTypeRecord& Type = *Spheroid.PrjTypes.Item(T);
            if (Type.Refs.Values().empty() || !Listed.insert(Type.Name).second) continue;
            const auto* First =
                dynamic_cast<const TProjection*>(Type.Systems->Item(Type.Refs.Values().front()));
            if (!First) continue;
            std::unique_ptr<TProjection> System = First->Clone();
            Out << "  " << Type.Name << '\t' << System->FormName();
            System->ExactForm = true;
            Out << '\t' << System->FormName() << '\n';
        }
    }
}

int ListCatalogue(const std::string& Folder, std::ostream& Out, std::ostream& Err) {
    TCSList Catalogue;
    const bool Loaded = LoadCatalogueReporting(Catalogue, Folder, Err);
    // Even an incomplete catalogue is printed: what did load shows where loading stopped.
    PrintCatalogue(Catalogue, Out);
    return Loaded ? ExitSuccess : ExitFailure;
}

// Every system of the EPSG table that the catalogue holds and matches Text: spheroid, datum, system,
// code and published name, one line each.
int FindSystems(const std::string& Text, const std::string& Folder, std::ostream& Out, std::ostream& Err) {
    TCSList Catalogue;
    if (!LoadCatalogueReporting(Catalogue, Folder, Err)) return ExitFailure;
    int Found = 0;
    for (const TSystemEntry& Entry : EpsgSystems(Catalogue)) {
        if (!SystemMatches(Entry, Text)) continue;
        const TCSSelection& Selection = Entry.Selection;
        Out << Selection.Spheroid->Name << '\t' << Selection.Datum->Name << '\t' << Selection.System->Name
            << "\tEPSG:" << Entry.Epsg->Code << '\t' << Entry.Epsg->Description << '\n';
        ++Found;
    }
    if (Found > 0) return ExitSuccess;
    Err << "No system of the catalogue matches \"" << Text << "\"" << NoTableNote(Catalogue) << '\n';
    return ExitFailure;
}

void AddShiftCommand(CLI::App& Parent, TCliContext& Context, const char* Name, const char* Description,
                     const char* Example, const TLineShift& Shift) {
    CLI::App* Command = Parent.add_subcommand(Name, Description);
    Command->footer(Example);
    Command->callback(
        [&Context, &Shift] { Context.ExitCode = ShiftLines(Shift, std::cin, Context.Out, Context.Err); });
}

} // namespace

int EncodeCatalogueStream(std::istream& In, std::ostream& Out, std::ostream& Err) {
    return ShiftLines(EncodeShift, In, Out, Err);
}

int DecodeCatalogueStream(std::istream& In, std::ostream& Out, std::ostream& Err) {
    return ShiftLines(DecodeShift, In, Out, Err);
}

bool LoadCatalogueReporting(TCSList& Catalogue, const std::string& Folder, std::ostream& Err) {
    const bool Loaded = Catalogue.LoadAll(Folder);
    for (const std::string& Warning : Catalogue.Warnings)
        Err << Warning << '\n';
    if (!Loaded) Err << "Error loading files\n";
    return Loaded;
}

void AddExactProjectionsFlag(CLI::App& Command, bool& ExactProjections) {
    Command.add_flag(
        "--exact-projections", ExactProjections,
        "Compute transverse Mercator, zone grid, Lambert one parallel and stereographic systems by "
        "their exact forms (Kruger series, closed forms) instead of the default series, which "
        "drift by millimetres to decimetres far from the origin");
}

std::string NoTableNote(const TCSList& Catalogue) {
    return Catalogue.EpsgCodes.Empty() ? " (the catalogue folder holds no epsg.txt)" : "";
}

void PrintCatalogue(const TCSList& Catalogue, std::ostream& Out) {
    PrintSpheroids(Catalogue, Out);
    Out << '\n';
    PrintDatums(Catalogue, Out);
    Out << '\n';
    PrintProjectionForms(Catalogue, Out);
    Out << '\n';
    PrintProjectionTypes(Catalogue, Out);
}

void AddCatalogueCommand(CLI::App& App, TCliContext& Context) {
    CLI::App* Catalogue =
        App.add_subcommand("catalogue", "Encode, decode, list or search the catalogue files");
    Catalogue->require_subcommand(1);
    Catalogue->footer("Examples:\n"
                      "  vortane-cli catalogue decode < Datums.dat > Datums.txt\n"
                      "  vortane-cli catalogue encode < Datums.txt > Datums.dat\n"
                      "  vortane-cli catalogue list --catalogue /opt/vortane\n"
                      "  vortane-cli catalogue find 27700");

    AddShiftCommand(*Catalogue, Context, "encode",
                    "Shift every line of stdin into the stored catalogue form; lines end with CR LF",
                    "Lines may end with LF or CR LF. A line holding a byte whose stored form would read\n"
                    "back as a line end or the end-of-file mark is not written; it is named on stderr\n"
                    "and the exit status is 1.\n"
                    "Example:\n  vortane-cli catalogue encode < Spher.txt > Spher.dat",
                    EncodeShift);
    AddShiftCommand(
        *Catalogue, Context, "decode",
        "Shift every line of a stored catalogue file on stdin back to plain text; lines end with CR LF",
        "A stored line that decodes to a line feed is not written; it is named on stderr\n"
        "and the exit status is 1.\n"
        "Example:\n  vortane-cli catalogue decode < Spher.dat",
        DecodeShift);

    CLI::App* List = Catalogue->add_subcommand(
        "list", "Print the spheroids, the datums, and per spheroid its projection types with their systems");
    List->footer("Fields are separated by TAB. Loading warnings go to stderr; when the catalogue cannot be\n"
                 "loaded completely, what did load is printed and the exit status is 1.\n"
                 "Example:\n  vortane-cli catalogue list --catalogue /opt/vortane");
    List->callback([&Context] {
        Context.ExitCode = ListCatalogue(Context.CatalogueFolder(), Context.Out, Context.Err);
    });

    CLI::App* Find = Catalogue->add_subcommand(
        "find",
        "List the systems with an EPSG code whose name, datum, region, published name or code holds TEXT");
    auto Text = std::make_shared<std::string>();
    Find->add_option("TEXT", *Text, "Text to look for, letters in any case (e.g. 27700, lambert)")
        ->required();
    Find->footer("One line per system and datum, fields separated by TAB: spheroid code, datum name, system\n"
                 "name (the three names --in-spheroid, --in-datum and --in-system take), EPSG code and its\n"
                 "published name. Geographic codes stand for decimal degrees. Exit status 1 when nothing\n"
                 "matches.\n"
                 "Examples:\n  vortane-cli catalogue find 27700\n  vortane-cli catalogue find lambert");
    Find->callback([&Context, Text] {
        Context.ExitCode = FindSystems(*Text, Context.CatalogueFolder(), Context.Out, Context.Err);
    });
}

} // namespace vortane
