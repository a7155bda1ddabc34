#pragma once
// Ground control points: a fractional image position (column, row; cell (0, 0) is the top-left corner
// of the top-left cell, rows count downwards) tied to a map position (X easting, Y northing, Z height,
// in the units of the list's coordinate system), with a label and two Yes/No flags.
//
// Three text forms exist: the plain line (".gcp" files and ortho header warp blocks), the ER Mapper line
// (one more flag) and the ortho text form that the ortho header writes. Coordinates are always in the
// order cell X, cell Y, map X, map Y, map Z.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vortane {

class TGCPoint {
public:
    TGCPoint() = default;
    virtual ~TGCPoint() = default;
    TGCPoint(const TGCPoint&) = default;
    TGCPoint& operator=(const TGCPoint&) = default;

    // Plain line: name, flag ("YES" in any case is true), cell X, cell Y, map X, map Y, map Z; fields
    // separated by runs of blanks and tabs. Missing fields keep their initial values; malformed numbers
    // read as 0.
    static TGCPoint CreateFromLine(std::string_view Line);
    // ER Mapper line: as the plain line with a second flag after the first. The name is kept as read,
    // double quotes included.
    static TGCPoint CreateFromErsLine(std::string_view Line);
    // Name, first flag and the five values of Source; the second flag is false. Initial values when
    // Source is null.
    static TGCPoint CreateCopy(const TGCPoint* Source);

    // Ortho text form: "<name or \"\"> Yes|No cx cy mx my mz", numbers fixed with 3 decimals at
    // 10 significant digits, "." as decimal mark.
    std::string ToText() const;

    virtual std::string GetName() const { return FName; }
    virtual bool GetActive() const { return FActive; }
    virtual bool GetSecondFlag() const { return FSecondFlag; }
    virtual double GetCellX() const { return FCellX; }
    virtual double GetCellY() const { return FCellY; }
    virtual double GetMapX() const { return FMapX; }
    virtual double GetMapY() const { return FMapY; }
    virtual double GetMapZ() const { return FMapZ; }
    virtual void SetName(const std::string& Text) { FName = Text; }
    virtual void SetActive(bool Value) { FActive = Value; }
    virtual void SetSecondFlag(bool Value) { FSecondFlag = Value; }
    virtual void SetCellX(double Value) { FCellX = Value; }
    virtual void SetCellY(double Value) { FCellY = Value; }
    virtual void SetMapX(double Value) { FMapX = Value; }
    virtual void SetMapY(double Value) { FMapY = Value; }
    virtual void SetMapZ(double Value) { FMapZ = Value; }
    // Field by index: 0 name, 1 first flag ("Yes"/"No"), 2..6 cell X, cell Y, map X, map Y, map Z
    // (general format, up to 15 significant digits). Other indexes: empty text.
    virtual std::string GetField(int Index) const;
    // Inverse of GetField: numbers read tolerantly (default 0), the flag true for "YES" in any case.
    // Other indexes are ignored.
    virtual void SetField(int Index, const std::string& Text);

private:
    std::string FName; // taken exactly as read, quote characters included
    bool FActive = false;
    bool FSecondFlag = false; // only ER Mapper lines carry it
    double FCellX = 0;        // image column (fractional)
    double FCellY = 0;        // image row (fractional), downwards
    double FMapX = 0;         // easting
    double FMapY = 0;         // northing
    double FMapZ = 0;         // height
};

// An owning, ordered list of control points with the names of the coordinate system of their map
// positions (set by a ".gcp" file's ";S=", ";D=" and ";P=" lines).
class TGCPList {
public:
    TGCPList() = default;
    virtual ~TGCPList() = default;
    TGCPList(const TGCPList&) = delete;
    TGCPList& operator=(const TGCPList&) = delete;

    void AddCopy(const TGCPoint* Source);
    // Reads a ".gcp" file. False, and the list unchanged, for an empty name; false with an empty list
    // when the file cannot be read (missing, unreadable, empty).
    bool Load(const std::string& FileName);

    void AddFromLine(std::string_view Line);
    void AddFromErsLine(std::string_view Line);
    int Count() const { return static_cast<int>(FItems.size()); }
    // The point at Index, or null when Index is negative or not less than Count().
    TGCPoint* Items(int Index) const;
    void Clear() { FItems.clear(); }

    const std::string& GetSpheroid() const { return FSpheroid; }
    const std::string& GetDatum() const { return FDatum; }
    const std::string& GetProjection() const { return FProjection; }

private:
    void TakeFileLine(const std::string& Line);

    std::vector<std::unique_ptr<TGCPoint>> FItems;
    std::string FSpheroid;   // spheroid code of the map coordinates
    std::string FDatum;      // datum name of the map coordinates
    std::string FProjection; // coordinate system name of the map coordinates
};

} // namespace vortane
