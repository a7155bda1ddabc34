#include "cli/transform_command.hpp"

#include "cli/catalogue_command.hpp"
#include "cli/selection_options.hpp"
#include "crs/datum_shift.hpp"
#include "crs/units.hpp"
#include "text/strings.hpp"

#include <cmath>
#include <iostream>
#include <limits>
#include <string_view>
#include <typeinfo>
#include <vector>

namespace vortane {

namespace {

constexpr std::string_view FieldBlanks = " \t";

// How a system writes its first two coordinates. Its own reader takes many non-numbers silently as 0,
// which on the command line would turn a typing error into a plausible position; the kinds let such
// texts be refused before the reader sees them.
enum class TTextKind {
    Number,      // plain numbers: projections, geocentric, grads, decimal degrees
    CheckedDMS,  // degrees:minutes:seconds, whose reader reports bad texts itself
    DottedAngle, // [-]degrees.minutes.seconds
};

TTextKind TextKindOf(const TProjection& System) {
    if (dynamic_cast<const TGeoArc*>(&System)) return TTextKind::DottedAngle;
    if (typeid(System) == typeid(TGeografic)) return TTextKind::CheckedDMS;
    return TTextKind::Number;
}

bool IsNumberText(const std::string& Text) {
    return std::isfinite(StrToFloatDef(Text, std::numeric_limits<double>::quiet_NaN()));
}

// An optional sign, then digits separated by at most three dots (degrees, minutes, seconds and
// their decimals).
bool IsDottedAngleText(std::string_view Text) {
    if (!Text.empty() && (Text.front() == '-' || Text.front() == '+')) Text.remove_prefix(1);
    int Dots = 0, Digits = 0;
    for (const char Char : Text) {
        if (Char == '.')
            ++Dots;
        else if (Char >= '0' && Char <= '9')
            ++Digits;
        else
            return false;
    }
    return Digits > 0 && Dots <= 3;
}

bool IsReadableCoordinate(TTextKind Kind, const std::string& Text) {
    switch (Kind) {
    case TTextKind::Number:
        return IsNumberText(Text);
    case TTextKind::DottedAngle:
        return IsDottedAngleText(Text);
    case TTextKind::CheckedDMS:
        return true;
    }
    return false;
}

std::string AxisName(const TProjection& System, int Field) {
    TCoordinateTexts Names;
    System.GetAxisNames(Names[0], Names[1], Names[2]);
    return Names[static_cast<std::size_t>(Field)];
}

std::string FieldError(const TProjection& System, const TCoordinateTexts& Texts, int Field) {
    return "field " + std::to_string(Field + 1) + " \"" + Texts[static_cast<std::size_t>(Field)] +
           "\" is not a valid " + AxisName(System, Field);
}

// Lengths to the thousandth of their unit whatever their size: the systems' own texts keep 10 significant
// digits, which on eastings that carry a zone number (above 10 000 000 m) would drop the millimetres.
std::string LengthText(double Length) {
    constexpr int AllDigits = 40; // never fewer digits than the number has
    return FixedText(Length, AllDigits, 3);
}

TMapperEnd MapperEnd(const TCSSelection& End, int Units, bool ExactForm = false) {
    return {End.Spheroid, End.Datum, End.System, UnitFactors.at(static_cast<std::size_t>(Units)), ExactForm};
}

// Splits a line at runs of blanks and TABs. False when it holds more than three fields.
bool SplitFields(const std::string& Line, std::vector<std::string>& Fields) {
    Fields.clear();
    std::size_t Start = Line.find_first_not_of(FieldBlanks);
    while (Start != std::string::npos) {
        const std::size_t End = Line.find_first_of(FieldBlanks, Start);
        Fields.push_back(Line.substr(Start, End - Start));
        Start = End == std::string::npos ? End : Line.find_first_not_of(FieldBlanks, End);
    }
    return Fields.size() <= 3;
}

// ---- The ends of the command line

// A datum shifts positions on the spheroid it was defined on; on another one the result is off by
// the difference of the two. Allowed, as headers may carry such pairs, but worth a word.
void WarnOnForeignDatum(const TCSSelection& Selection, const char* Side, std::ostream& Err) {
    const std::string& Code = Selection.Datum->SpheroidCode;
    if (!Code.empty() && Code != Selection.Spheroid->Name)
        Err << "Warning: datum " << Selection.Datum->Name << " is defined on spheroid " << Code << ", not "
            << Selection.Spheroid->Name << " (--" << Side << "-datum)\n";
}

// ---- The stream of positions

// The answer to one input line: the output texts joined by single blanks, or nothing for a blank line.
// False, with the reason in Error, when the line cannot be carried over.
bool AnswerLine(TCoordinateTransform& Transform, const std::string& Line, std::string& Answer,
                std::string& Error) {
    Answer.clear();
    std::vector<std::string> Fields;
    if (!SplitFields(Line, Fields)) {
        Error = "more than three fields";
        return false;
    }
    if (Fields.empty()) return true;
    if (Fields.size() < 2) {
        Error = "needs at least two fields";
        return false;
    }
    Fields.resize(3);
    TCoordinateTexts Result;
    if (!Transform.Convert({Fields[0], Fields[1], Fields[2]}, Result, Error)) return false;
    Answer = Result[0] + ' ' + Result[1] + ' ' + Result[2];
    return true;
}

int TransformLines(TCoordinateTransform& Transform, std::istream& In, std::ostream& Out, std::ostream& Err) {
    int ExitCode = ExitSuccess;
    std::string Line, Answer, Error;
    for (long LineNumber = 1; std::getline(In, Line); ++LineNumber) {
        if (!Line.empty() && Line.back() == '\r') Line.pop_back();
        if (!AnswerLine(Transform, Line, Answer, Error)) {
            Err << "line " << LineNumber << ": " << Error << '\n';
            ExitCode = ExitFailure;
        }
        // Output line N always answers input line N, so a rejected line leaves an empty line too.
        Out << Answer << '\n';
    }
    Out.flush();
    return ExitCode;
}

} // namespace

TCoordinateTransform::TCoordinateTransform(const TCSSelection& In, int InUnits, const TCSSelection& Out,
                                           int OutUnits, const TSpheroid* Hub, bool ExactForms)
    : FMapper(MapperEnd(In, InUnits, ExactForms), MapperEnd(Out, OutUnits, ExactForms), Hub) {}

bool TCoordinateTransform::NeedsHub(const TCSSelection& In, const TCSSelection& Out) {
    return TCoordinateMapper::NeedsHub(MapperEnd(In, 0), MapperEnd(Out, 0));
}

bool TCoordinateTransform::ReadInput(const TCoordinateTexts& Texts, double& Lat, double& Lon, double& H,
                                     std::string& Error) const {
    const TProjection& InSystem = FMapper.InSystem();
    const TTextKind Kind = TextKindOf(InSystem);
    for (int Field = 0; Field < 2; ++Field)
        if (!IsReadableCoordinate(Kind, Texts[static_cast<std::size_t>(Field)])) {
            Error = FieldError(InSystem, Texts, Field);
            return false;
        }
    if (!Texts[2].empty() && !IsNumberText(Texts[2])) {
        Error = FieldError(InSystem, Texts, 2);
        return false;
    }
    if (const int Rejected = InSystem.TextToGeo(Texts[0], Texts[1], Texts[2], Lat, Lon, H); Rejected != 0) {
        Error = FieldError(InSystem, Texts, Rejected - 1);
        return false;
    }
    // The numbers of the texts, or for the angle forms the radians their reader made of them, must be a
    // position of the input system.
    double X = 0.0, Y = 0.0, Z = 0.0;
    if (InSystem.AngularCoordinates()) {
        InSystem.GeoToProj(Lat, Lon, H, X, Y, Z);
    } else {
        X = StrToFloatDef(Texts[0], 0.0);
        Y = StrToFloatDef(Texts[1], 0.0);
        Z = StrToFloatDef(Texts[2], 0.0);
    }
    if (!FMapper.InputToGeo(X, Y, Z, Lat, Lon, H)) {
        Error = "the position lies outside the input system";
        return false;
    }
    return true;
}

bool TCoordinateTransform::Convert(const TCoordinateTexts& Texts, TCoordinateTexts& Result,
                                   std::string& Error) const {
    double Lat = 0.0, Lon = 0.0, H = 0.0;
    if (!ReadInput(Texts, Lat, Lon, H, Error)) return false;
    double OutLat = Lat, OutLon = Lon, OutH = H;
    FMapper.InputGeoToOutputGeo(Lat, Lon, H, OutLat, OutLon, OutH);
    // The texts hide a failed conversion (NaN prints as a number-like text), so look at the numbers.
    double X = 0.0, Y = 0.0, Z = 0.0;
    if (!FMapper.GeoToOutput(OutLat, OutLon, OutH, X, Y, Z)) {
        Error = "the position has no coordinates in the output system";
        return false;
    }
    const TProjection& OutSystem = FMapper.OutSystem();
    if (OutSystem.AngularCoordinates()) {
        OutSystem.GeoToText(OutLat, OutLon, OutH, Result[0], Result[1], Result[2]);
        Result[2] = LengthText(OutH);
    } else {
        Result = {LengthText(X), LengthText(Y), LengthText(Z)};
    }
    return true;
}

int RunTransform(const TTransformOptions& Options, const std::string& Folder, std::istream& In,
                 std::ostream& Out, std::ostream& Err) {
    const TEndNames InNames{"in", Options.InSpheroid, Options.InDatum, Options.InSystem, Options.InCrs};
    const TEndNames OutNames{"out", Options.OutSpheroid, Options.OutDatum, Options.OutSystem, Options.OutCrs};
    if (ReportMissingNames(InNames, OutNames, Err)) return ExitUsage;
    TCSList Catalogue;
    if (!LoadCatalogueReporting(Catalogue, Folder, Err)) return ExitFailure;

    TCSSelection InEnd, OutEnd;
    if (!ResolveSelection(Catalogue, InNames, OutNames, InEnd, OutEnd, Err)) return ExitUsage;
    if (!CheckUnitIndexes(Options.InUnits, Options.OutUnits, Err)) return ExitUsage;
    WarnOnForeignDatum(InEnd, "in", Err);
    WarnOnForeignDatum(OutEnd, "out", Err);

    const TSpheroid* Hub = Catalogue.FindSpheroid(HubSpheroidCode);
    if (!Hub && TCoordinateTransform::NeedsHub(InEnd, OutEnd)) {
        Err << "Spheroid " << HubSpheroidCode << " not found in list: no datum change can be made\n";
        return ExitFailure;
    }
    TCoordinateTransform Transform(InEnd, Options.InUnits, OutEnd, Options.OutUnits, Hub,
                                   Options.ExactProjections);
    return TransformLines(Transform, In, Out, Err);
}

void AddTransformCommand(CLI::App& App, TCliContext& Context) {
    CLI::App* Command = App.add_subcommand(
        "transform", "Carry positions from stdin, one per line, from one coordinate system into another");
    auto Options = std::make_shared<TTransformOptions>();
    AddSelectionOptions(*Command,
                        {&Options->InSpheroid, &Options->InDatum, &Options->InSystem, &Options->InCrs},
                        {&Options->OutSpheroid, &Options->OutDatum, &Options->OutSystem, &Options->OutCrs});
    const std::string UnitHelp =
        "0 metre (default), 1 US survey foot; for projected and geocentric coordinates, not angles";
    Command->add_option("--in-units", Options->InUnits, "Unit of the input coordinates: " + UnitHelp)
        ->check(CLI::Range(0, UnitIndexCount - 1))
        ->type_name("0|1");
    Command->add_option("--out-units", Options->OutUnits, "Unit of the output coordinates: " + UnitHelp)
        ->check(CLI::Range(0, UnitIndexCount - 1))
        ->type_name("0|1");
    AddExactProjectionsFlag(*Command, Options->ExactProjections);
    Command->footer(
        "Each line of stdin holds two or three fields separated by blanks: the input system's own\n"
        "coordinate texts (X, Y and an optional height; for the geographic systems longitude first,\n"
        "except \"ArcView Geographic: gg.mm.ss.sss\", which takes latitude first). Each line of stdout\n"
        "holds the output system's three texts; lengths to the millimetre (3 decimals). Output line N\n"
        "always answers input line N: a blank line gives an empty line, and so does a line that cannot\n"
        "be read, which is named with its number on stderr and makes the exit status 1. Unknown names\n"
        "and EPSG codes exit with status 2. An EPSG code of a geographic system reads and writes decimal\n"
        "degrees.\n"
        "Example (WGS 84 longitude and latitude to UTM zone 34 north):\n"
        "  echo '21.0 52.25' | vortane-cli transform --in-spheroid WE --in-datum WGS84 \\\n"
        "      --in-system 'Geographic:(decimal degrees)' --out-spheroid WE --out-datum WGS84 \\\n"
        "      --out-system NUTM34\n"
        "The same by EPSG codes:\n"
        "  echo '21.0 52.25' | vortane-cli transform --in-crs EPSG:4326 --out-crs EPSG:32634");
    Command->callback([Options, &Context] {
        Context.ExitCode =
            RunTransform(*Options, Context.CatalogueFolder(), std::cin, Context.Out, Context.Err);
    });
}

} // namespace vortane
