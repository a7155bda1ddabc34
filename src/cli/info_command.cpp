#include "cli/info_command.hpp"

#include "catalogue/catalogue.hpp"
#include "cli/ers_registration_option.hpp"
#include "gcp/gcp.hpp"
#include "job/file_crs.hpp"
#include "job/input_description.hpp"
#include "raster/data_set.hpp"
#include "raster/mapped_cell_file.hpp"
#include "raster/raster.hpp"
#include "text/strings.hpp"
#include "text/types.hpp"

#include <ostream>
#include <string_view>

namespace vortane {

namespace {

std::string CellTypeText(std::uint8_t CellType) {
    const std::string Name = CellTypeName(CellType);
    return Name.empty() ? "UNKNOWN (" + std::to_string(CellType) + ")" : Name;
}

class TInfoPrinter {
public:
    explicit TInfoPrinter(std::ostream& Out) : FOut(Out) {}
    void Line(std::string_view Key, const std::string& Value) { FOut << Key << ": " << Value << '\n'; }
    void Line(std::string_view Key, double Value) { Line(Key, GeneralText(Value)); }

private:
    std::ostream& FOut;
};

void PrintDescription(const TDataSet2& DataSet, std::ostream& Out) {
    TDataSetRoot2& Raster = *DataSet.Raster();
    std::string Spheroid, Datum, Projection;
    DataSet.GetSpheroid(Spheroid);
    DataSet.GetDatum(Datum);
    DataSet.GetProjection(Projection);
    const TGCPList* ControlPoints = Raster.GetControlPoints();

    TInfoPrinter Print(Out);
    Print.Line("format", FormatName(DataSet.GetFileType()));
    Print.Line("columns", std::to_string(DataSet.GetColumns()));
    Print.Line("rows", std::to_string(DataSet.GetRows()));
    Print.Line("bands", std::to_string(DataSet.GetBands()));
    Print.Line("cell type", CellTypeText(DataSet.GetCellType()));
    Print.Line("byte order", Raster.GetMSBFirst() ? "MSBFirst" : "LSBFirst");
    Print.Line("cell size x", DataSet.GetCellSizeX());
    Print.Line("cell size y", DataSet.GetCellSizeY());
    Print.Line("origin x", DataSet.GetOriginX());
    Print.Line("origin y", DataSet.GetOriginY());
    Print.Line("registration cell x", Raster.GetRegCellX());
    Print.Line("registration cell y", Raster.GetRegCellY());
    Print.Line("easting", Raster.GetRegEasting());
    Print.Line("northing", Raster.GetRegNorthing());
    Print.Line("spheroid", Spheroid);
    Print.Line("datum", Datum);
    Print.Line("projection", Projection);
    Print.Line("control points", std::to_string(ControlPoints ? ControlPoints->Count() : 0));
    // Only images that declare empty cells say so, so the description of the others stays as it was.
    if (const std::optional<double> NoData = Raster.NoDataValue()) Print.Line("nodata", NoDataText(*NoData));
}

// The file's system as the catalogue knows it, after the lines above (scripts read those as they are).
void PrintFileSystem(const TFileCrs& System, std::ostream& Out) {
    const TCSSelection& Found = System.Selection;
    const auto Name = [&System](const TCodeObject* Object) {
        return System.Found() ? Object->Name : "UNKNOWN";
    };
    TInfoPrinter Print(Out);
    Print.Line("catalogue spheroid", Name(Found.Spheroid));
    Print.Line("catalogue datum", Name(Found.Datum));
    Print.Line("catalogue system", Name(Found.System));
    Print.Line("epsg code", System.EpsgCode ? std::to_string(System.EpsgCode) : "none");
    Print.Line("system source", System.Found() ? System.Source : "none (" + System.Problem + ")");
}

// The file's system, found in the catalogue of CatalogueFolder. Without a catalogue the image is still
// described; the last line then says why its system stays unknown.
TFileCrs FindFileSystem(const std::string& Path, const TDataSet2& DataSet, const std::string& CatalogueFolder,
                        TCSList& Catalogue) {
    if (Catalogue.LoadAll(CatalogueFolder)) return ResolveFileCrs(Catalogue, DescribeImage(Path, DataSet));
    TFileCrs Unknown;
    Unknown.Problem =
        "the catalogue does not load" + (Catalogue.Warnings.empty() ? "" : ": " + Catalogue.Warnings.back());
    return Unknown;
}

} // namespace

int ShowImageInfo(const std::string& Path, const std::string& CatalogueFolder, std::ostream& Out,
                  std::ostream& Err) {
    TDataSet2 DataSet;
    // Only the description is printed: a compressed TIFF is not decoded for it.
    if (!DataSet.OpenDescription(Path)) {
        const std::string Text = DataSet.GetErrorText();
        // The reason names the file, so a script's log says which of its images failed.
        if (Text.find(Path) == std::string::npos)
            Err << "Cannot open " << Path << (Text.empty() ? "" : ": " + Text) << '\n';
        else
            Err << Text << '\n';
        return ExitFailure;
    }
    // The image is still described (as one row of every cell), but it is not what its header says.
    if (const std::string& Mismatch = DataSet.Raster()->SizeMismatchText(); !Mismatch.empty())
        Err << "Warning: " << Path << ": " << Mismatch << '\n';
    PrintDescription(DataSet, Out);
    TCSList Catalogue; // outlives the system found in it
    PrintFileSystem(FindFileSystem(Path, DataSet, CatalogueFolder, Catalogue), Out);
    return ExitSuccess;
}

void AddInfoCommand(CLI::App& App, TCliContext& Context) {
    CLI::App* Command =
        App.add_subcommand("info", "Print an image's geometry and georeferencing as key: value lines");
    auto Path = std::make_shared<std::string>();
    Command
        ->add_option("PATH", *Path, "Image to describe (any supported format, detected from its first bytes)")
        ->required();
    auto Registration = std::make_shared<std::string>();
    AddErsRegistrationOption(*Command, *Registration);
    Command->footer(
        "The last five lines give the image's system as the catalogue names it, found by its GeoTIFF\n"
        "keys (EPSG code or parameters) or by the names in its header, and its EPSG code.\n"
        "Example:\n  vortane-cli info image.ers");
    Command->callback([Path, Registration, &Context] {
        Context.ExitCode = ApplyErsRegistration(*Registration, Context.Err)
                               ? ShowImageInfo(*Path, Context.CatalogueFolder(), Context.Out, Context.Err)
                               : ExitUsage;
    });
}

} // namespace vortane
