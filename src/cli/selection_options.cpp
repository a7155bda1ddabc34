#include "cli/selection_options.hpp"

#include "crs/units.hpp"

#include <ostream>

namespace vortane {

namespace {

void ReportUnknown(std::ostream& Err, const char* What, const std::string& Name, const std::string& Option) {
    Err << "Unknown " << What << " \"" << Name << "\" (" << Option << ")\n";
}

// Finds the three objects of one end, naming every unknown one on Err.
bool ResolveEnd(const TCSList& Catalogue, const TEndNames& End, TCSSelection& Selection, std::ostream& Err) {
    const std::string Prefix = std::string("--") + End.Side + "-";
    Selection.Spheroid = Catalogue.FindSpheroid(End.Spheroid);
    Selection.Datum = Catalogue.FindDatum(End.Datum);
    Selection.System = Catalogue.FindSystem(End.System);
    if (!Selection.Spheroid) ReportUnknown(Err, "spheroid", End.Spheroid, Prefix + "spheroid");
    if (!Selection.Datum) ReportUnknown(Err, "datum", End.Datum, Prefix + "datum");
    if (!Selection.System) ReportUnknown(Err, "coordinate system", End.System, Prefix + "system");
    return Selection.Spheroid && Selection.Datum && Selection.System;
}

} // namespace

void AddSelectionOptions(CLI::App& Command, TEndNameFields In, TEndNameFields Out, bool Required) {
    const auto AddName = [&Command, Required](const char* Name, std::string* Value, const char* Meaning,
                                              const char* Type) {
        CLI::Option* Option = Command.add_option(Name, *Value, Meaning)->type_name(Type);
        if (Required) Option->required();
    };
    AddName("--in-spheroid", In.Spheroid, "Spheroid code of the input (e.g. WE)", "CODE");
    AddName("--in-datum", In.Datum, "Datum name of the input (e.g. WGS84)", "NAME");
    AddName("--in-system", In.System, "Coordinate system name of the input (e.g. NUTM34)", "NAME");
    AddName("--out-spheroid", Out.Spheroid, "Spheroid code of the output", "CODE");
    AddName("--out-datum", Out.Datum, "Datum name of the output", "NAME");
    AddName("--out-system", Out.System, "Coordinate system name of the output", "NAME");
}

bool ResolveSelection(const TCSList& Catalogue, const TEndNames& In, const TEndNames& Out,
                      TCSSelection& InEnd, TCSSelection& OutEnd, std::ostream& Err) {
    const bool InFound = ResolveEnd(Catalogue, In, InEnd, Err);
    const bool OutFound = ResolveEnd(Catalogue, Out, OutEnd, Err);
    if (InFound && OutFound) return true;
    Err << "Run 'vortane-cli catalogue list' for the names the catalogue holds.\n";
    return false;
}

bool CheckUnitIndexes(int InUnits, int OutUnits, std::ostream& Err) {
    if (IsUnitIndex(InUnits) && IsUnitIndex(OutUnits)) return true;
    Err << "Unit indexes are 0 (metre) or 1 (US survey foot)\n";
    return false;
}

} // namespace vortane
