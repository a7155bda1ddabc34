#include "cli/selection_options.hpp"

#include "cli/catalogue_command.hpp"
#include "crs/units.hpp"

#include <cctype>
#include <charconv>
#include <ostream>
#include <string_view>
#include <utility>

namespace vortane {

namespace {

// How one end failed to resolve; each failure asks for its own hint.
enum class TEndResult { Found, UnknownName, UnknownCode };

void ReportUnknown(std::ostream& Err, const char* What, const std::string& Name, const std::string& Option) {
    Err << "Unknown " << What << " \"" << Name << "\" (" << Option << ")\n";
}

// "EPSG:n", the prefix in any case, to n.
bool ParseEpsgText(const std::string& Text, int& Code) {
    constexpr std::string_view Prefix = "EPSG:";
    if (Text.size() <= Prefix.size()) return false;
    for (std::size_t I = 0; I < Prefix.size(); ++I)
        if (std::toupper(static_cast<unsigned char>(Text[I])) != Prefix[I]) return false;
    const char* End = Text.data() + Text.size();
    const auto [Stop, Error] = std::from_chars(Text.data() + Prefix.size(), End, Code);
    return Error == std::errc() && Stop == End && Code > 0;
}

TEndResult ResolveEndByCode(const TCSList& Catalogue, const TEndNames& End, TCSSelection& Selection,
                            std::ostream& Err) {
    const std::string Option = std::string("--") + End.Side + "-crs";
    int Code = 0;
    if (!ParseEpsgText(End.Crs, Code)) {
        Err << "Invalid " << Option << " \"" << End.Crs << "\": expected EPSG:<code>\n";
        return TEndResult::UnknownCode;
    }
    if (Catalogue.ResolveEpsgCode(Code, Selection)) return TEndResult::Found;
    Err << "Unknown EPSG code " << Code << " (" << Option << ")" << NoTableNote(Catalogue) << '\n';
    return TEndResult::UnknownCode;
}

// Names every one of the three names that is missing from an end without a code.
bool ReportMissingNames(const TEndNames& End, std::ostream& Err) {
    if (!End.Crs.empty()) return false;
    const std::pair<const std::string*, const char*> Names[] = {
        {&End.Spheroid, "spheroid"}, {&End.Datum, "datum"}, {&End.System, "system"}};
    bool Missing = false;
    for (const auto& [Value, Name] : Names)
        if (Value->empty()) {
            Err << "--" << End.Side << '-' << Name << " is required (or --" << End.Side << "-crs EPSG:n)\n";
            Missing = true;
        }
    return Missing;
}

// Finds the three objects of one end, naming every unknown one on Err.
TEndResult ResolveEnd(const TCSList& Catalogue, const TEndNames& End, TCSSelection& Selection,
                      std::ostream& Err) {
    if (!End.Crs.empty()) return ResolveEndByCode(Catalogue, End, Selection, Err);
    const std::string Prefix = std::string("--") + End.Side + "-";
    Selection.Spheroid = Catalogue.FindSpheroid(End.Spheroid);
    Selection.Datum = Catalogue.FindDatum(End.Datum);
    Selection.System = Catalogue.FindSystem(End.System);
    if (!Selection.Spheroid) ReportUnknown(Err, "spheroid", End.Spheroid, Prefix + "spheroid");
    if (!Selection.Datum) ReportUnknown(Err, "datum", End.Datum, Prefix + "datum");
    if (!Selection.System) ReportUnknown(Err, "coordinate system", End.System, Prefix + "system");
    return Selection.Spheroid && Selection.Datum && Selection.System ? TEndResult::Found
                                                                     : TEndResult::UnknownName;
}

} // namespace

void AddSelectionOptions(CLI::App& Command, TEndNameFields In, TEndNameFields Out) {
    struct TNameOption {
        std::string* Value;
        const char* Name;
        std::string Help;
        const char* Type;
    };
    const auto AddEnd = [&Command](const std::string& Side, TEndNameFields Fields, const std::string& Whose,
                                   bool WithExamples) {
        const auto Example = [WithExamples](const char* Text) {
            return WithExamples ? std::string(Text) : "";
        };
        const TNameOption Names[] = {
            {Fields.Spheroid, "spheroid", "Spheroid code of the " + Whose + Example(" (e.g. WE)"), "CODE"},
            {Fields.Datum, "datum", "Datum name of the " + Whose + Example(" (e.g. WGS84)"), "NAME"},
            {Fields.System, "system", "Coordinate system name of the " + Whose + Example(" (e.g. NUTM34)"),
             "NAME"},
        };
        for (const TNameOption& Name : Names)
            Command.add_option("--" + Side + "-" + Name.Name, *Name.Value, Name.Help)->type_name(Name.Type);
        Command
            .add_option("--" + Side + "-crs", *Fields.Crs,
                        "EPSG code of the " + Whose +
                            " system instead of its three names (see 'vortane-cli catalogue find')")
            ->type_name("EPSG:n");
    };
    AddEnd("in", In, "input", true);
    AddEnd("out", Out, "output", false);
    // An end is named one way or the other. Checked here rather than by the parser's own exclusions,
    // which would crowd every option's line in --help.
    Command.parse_complete_callback([&Command] {
        for (const std::string Side : {"in", "out"}) {
            const CLI::Option* Crs = Command.get_option("--" + Side + "-crs");
            for (const char* Name : {"-spheroid", "-datum", "-system"}) {
                const CLI::Option* Other = Command.get_option("--" + Side + Name);
                if (Crs->count() > 0 && Other->count() > 0)
                    throw CLI::ExcludesError(Crs->get_name(), Other->get_name());
            }
        }
    });
}

bool ResolveSelection(const TCSList& Catalogue, const TEndNames& In, const TEndNames& Out,
                      TCSSelection& InEnd, TCSSelection& OutEnd, std::ostream& Err) {
    const TEndResult Results[] = {ResolveEnd(Catalogue, In, InEnd, Err),
                                  ResolveEnd(Catalogue, Out, OutEnd, Err)};
    const auto Any = [&Results](TEndResult Wanted) { return Results[0] == Wanted || Results[1] == Wanted; };
    if (Any(TEndResult::UnknownName))
        Err << "Run 'vortane-cli catalogue list' for the names the catalogue holds.\n";
    if (Any(TEndResult::UnknownCode))
        Err << "Run 'vortane-cli catalogue find TEXT' for the EPSG codes the catalogue knows.\n";
    return Results[0] == TEndResult::Found && Results[1] == TEndResult::Found;
}

bool ReportMissingNames(const TEndNames& In, const TEndNames& Out, std::ostream& Err) {
    const bool InMissing = ReportMissingNames(In, Err);
    return ReportMissingNames(Out, Err) || InMissing;
}

bool CheckUnitIndexes(int InUnits, int OutUnits, std::ostream& Err) {
    if (IsUnitIndex(InUnits) && IsUnitIndex(OutUnits)) return true;
    Err << "Unit indexes are 0 (metre) or 1 (US survey foot)\n";
    return false;
}

} // namespace vortane
