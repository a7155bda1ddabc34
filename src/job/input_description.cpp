#include "job/input_description.hpp"

#include "job/photo_list.hpp"
#include "raster/data_set.hpp"
#include "raster/raster.hpp"
#include "text/strings.hpp"

namespace vortane {

namespace {

std::string NameWithoutQuotes(const TDataSet2& Input, void (TDataSet2::*Get)(std::string&) const) {
    std::string Name;
    (Input.*Get)(Name);
    return RemoveChar(Name, '"');
}

} // namespace

TInputDescription DescribeImage(const std::string& Image, const TDataSet2& Input) {
    const std::int32_t Columns = Input.GetColumns(), Rows = Input.GetRows();
    const double West = Input.GetOriginX(), North = Input.GetOriginY();
    return {Image,
            0,
            Columns,
            Rows,
            Input.GetBands(),
            Input.GetCellType(),
            Input.GetCellSizeX(),
            West,
            North,
            West + Columns * Input.GetCellSizeX(),
            North - Rows * Input.GetCellSizeY(),
            NameWithoutQuotes(Input, &TDataSet2::GetSpheroid),
            NameWithoutQuotes(Input, &TDataSet2::GetDatum),
            NameWithoutQuotes(Input, &TDataSet2::GetProjection),
            Input.Raster()->Record().FGeoKeys,
            Input.Raster()->SizeMismatchText()};
}

bool DescribeInput(const std::string& InName, bool List, TInputDescription& Description,
                   std::string& Reason) {
    Description = {};
    const std::vector<std::string> Images = ImagesOf(InName, List);
    if (List) Description.ListEntries = static_cast<std::int32_t>(Images.size());
    if (Images.empty()) {
        Reason = InName + ": no image named in this photo list";
        return false;
    }
    Reason.clear();
    for (const std::string& Image : Images) {
        // The description only: a compressed TIFF is not decoded to be looked at.
        TDataSet2 Input;
        if (Input.OpenDescription(Image)) {
            const std::int32_t ListEntries = Description.ListEntries;
            Description = DescribeImage(Image, Input);
            Description.ListEntries = ListEntries;
            return true;
        }
        if (Reason.empty()) Reason = OpenFailureReason(Image, Input.GetErrorText());
    }
    return false;
}

std::string OpenFailureReason(const std::string& FileName, const std::string& ErrorText) {
    if (ErrorText.empty()) return FileName + ": cannot be opened as an image";
    // Most raster texts name the file already; once is enough.
    return ErrorText.find(FileName) != std::string::npos ? ErrorText : FileName + ": " + ErrorText;
}

} // namespace vortane
