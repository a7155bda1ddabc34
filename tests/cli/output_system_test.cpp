// Every shipped projected system, written as a GeoTIFF, declares the EPSG code the catalogue's table
// gives it on its datum; a system the table has no code for declares its projection by method and
// parameters on its own ellipsoid, never the code of another system.

#include "cli_runner.hpp"

#include "catalogue/catalogue.hpp"
#include "job/sample_image.hpp"
#include "job/worker.hpp"
#include "raster/tiff/geokeys.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>

namespace vortane {
namespace {

// The GeoKeys of a little-endian TIFF as numbers: SHORT values and DOUBLE parameters alike.
std::map<std::uint16_t, std::vector<double>> ReadGeoKeys(const std::string& Name) {
    std::ifstream File(Name, std::ios::binary);
    const std::vector<unsigned char> B{std::istreambuf_iterator<char>(File), {}};
    const auto U16 = [&](std::size_t At) -> std::uint16_t {
        return static_cast<std::uint16_t>(B.at(At) | B.at(At + 1) << 8);
    };
    const auto U32 = [&](std::size_t At) {
        return std::uint32_t{U16(At)} | std::uint32_t{U16(At + 2)} << 16;
    };
    const auto F64 = [&](std::size_t At) {
        double Value = 0;
        std::memcpy(&Value, &B.at(At + 7) - 7, 8);
        return Value;
    };
    std::size_t Directory = 0, Doubles = 0;
    const std::uint32_t Ifd = U32(4);
    for (std::uint32_t Entry = 0; Entry < U16(Ifd); ++Entry) {
        const std::size_t At = Ifd + 2 + 12 * Entry;
        if (U16(At) == tagGeoKeyDirectoryId) Directory = U32(At + 8);
        if (U16(At) == tagGeoDoubleParamsId) Doubles = U32(At + 8);
    }
    std::map<std::uint16_t, std::vector<double>> Keys;
    for (std::uint16_t Key = 0; Directory != 0 && Key < U16(Directory + 6); ++Key) {
        const std::size_t At = Directory + 8 + 8 * Key;
        const std::uint16_t Location = U16(At + 2), Count = U16(At + 4), Value = U16(At + 6);
        std::vector<double>& Values = Keys[U16(At)];
        if (Location == 0) Values = {double(Value)};
        for (std::uint16_t Index = 0; Location == tagGeoDoubleParamsId && Index < Count; ++Index)
            Values.push_back(F64(Doubles + 8 * (Value + Index)));
    }
    return Keys;
}

class ReasonObserver final : public TJobObserver {
public:
    void ShowProgress(const TProgressView&) override {}
    void JobFinished(const std::string&) override {}
    void ReportFailure(const std::string& Text) override { Reason += Text; }
    std::string Reason;
};

// A point well inside a system's area: its origin, or between the standard parallels of a cone.
void CentreOf(const TProjection& System, double& Lat, double& Lon) {
    Lat = Lon = 0;
    if (const auto* Tm = dynamic_cast<const TTransMerc*>(&System))
        Lat = Tm->OriginLatitude, Lon = Tm->CentralMeridian;
    // A zone grid's northings stop at 10 000 km: its southern form lies south of the equator.
    if (const auto* Grid = dynamic_cast<const TTMGrid*>(&System))
        Lon = Grid->ZoneOrigin, Lat = Grid->FalseNorthing > 0 ? -0.2 : 0.2;
    if (const auto* Series = dynamic_cast<const TSeriesProjection*>(&System))
        Lat = Series->OriginLatitude, Lon = Series->CentralMeridian;
    if (const auto* Lambert = dynamic_cast<const TLambert2*>(&System))
        Lat = (Lambert->StdParallel1 + Lambert->StdParallel2) / 2, Lon = Lambert->CentralMeridian;
    if (const auto* Eren = dynamic_cast<const TLambEren*>(&System))
        Lat = (Eren->StdParallel1 + Eren->StdParallel2) / 2, Lon = Eren->CentralMeridian;
}

class OutputSystems : public test::TTempDirTest {
protected:
    static void SetUpTestSuite() {
        Catalogue = new TCSList;
        Catalogue->LoadAll(test::ShippedCatalogueFolder);
    }
    static void TearDownTestSuite() { delete Catalogue; }

    // The keys of the image the job writes from a small image at the system's centre into the
    // system, which it is already in.
    std::map<std::uint16_t, std::vector<double>> WarpedKeys(const TCSSelection& System) {
        std::unique_ptr<TProjection> Own = System.System->Clone();
        Own->SetSpheroid(*System.Spheroid);
        double Lat = 0, Lon = 0, X = 0, Y = 0, Z = 0;
        CentreOf(*Own, Lat, Lon);
        Own->GeoToProj(Lat, Lon, 0, X, Y, Z);
        TSampleImage Small;
        Small.Columns = Small.Rows = 4;
        Small.West = X - 20;
        Small.North = Y + 20;
        Small.CellSize = 10;
        std::string Error;
        EXPECT_TRUE(WriteSampleImage(Path("in.ers"), Small, Error)) << Error;

        TJobSelection Selection;
        Selection.InSpheroid = Selection.OutSpheroid = System.Spheroid;
        Selection.InDatum = Selection.OutDatum = System.Datum;
        Selection.InProjection = Selection.OutProjection = System.System;
        Selection.HubSpheroid = Catalogue->FindSpheroid("WE");
        Selection.EpsgCodes = &Catalogue->EpsgCodes;
        Selection.OutSpheroidName = System.Spheroid->Name;
        Selection.OutDatumName = System.Datum->Name;
        Selection.OutProjectionName = System.System->Name;
        TJobOptions Options;
        Options.Step = 10;
        Options.Threads = 1;
        ReasonObserver Observer;
        TMyThread Worker(Path("in.ers"), Path("out.tif"), Options, Selection, Observer);
        Worker.Run();
        EXPECT_EQ(Worker.Message(), "Successful Finish") << Observer.Reason;
        return ReadGeoKeys(Path("out.tif"));
    }

    // A datum on the spheroid a system is published on; WGS 84 for systems of every spheroid.
    TCSSelection OnOwnSpheroid(TProjection* System, const std::string& SpheroidCode) const {
        TCSSelection Selection{Catalogue->FindSpheroid("WE"), Catalogue->FindDatum("WGS84"), System};
        for (int I = 0; I < Catalogue->Datums.Count(); ++I) {
            TDatumRecord* Datum = Catalogue->Datums.Item(I);
            if (Datum->SpheroidCode == SpheroidCode && !Datum->IsGrid)
                return {Catalogue->FindSpheroid(SpheroidCode), Datum, System};
        }
        return Selection;
    }

    static TCSList* Catalogue;
};

TCSList* OutputSystems::Catalogue = nullptr;

TEST_F(OutputSystems, EverySystemOfTheTableDeclaresItsCode) {
    int Checked = 0;
    for (const TEpsgEntry& Entry : Catalogue->EpsgCodes.Entries()) {
        TCSSelection System;
        if (Entry.Kind != EEpsgKind::Projected || !Catalogue->ResolveEpsgEntry(Entry, System)) continue;
        // A code the key shares with a line before it is read as that line's system, not written.
        const int Code = Catalogue->EpsgCodes.ProjectedCode(Entry.System, Entry.Datum);
        SCOPED_TRACE(Entry.System + " on " + Entry.Datum);
        const auto Keys = WarpedKeys(System);
        EXPECT_EQ(Keys.at(gkModelType), std::vector<double>{gvModelProjected});
        EXPECT_EQ(Keys.at(gkProjectedCSType), std::vector<double>{double(Code)});
        ++Checked;
    }
    EXPECT_GT(Checked, 300);
}

TEST_F(OutputSystems, ASystemWithoutCodeDeclaresItsParametersOnItsEllipsoid) {
    std::vector<TCSSelection> Uncoded;
    const auto Collect = [&](const auto& List) {
        for (int I = 0; I < List.Count(); ++I) {
            const TCSSelection System = OnOwnSpheroid(List.Item(I), List.Item(I)->SpheroidCode);
            if (Catalogue->EpsgCodeOf(System) == 0) Uncoded.push_back(System);
        }
    };
    Collect(Catalogue->TransMercs);
    Collect(Catalogue->TMGrids);
    Collect(Catalogue->Lambert1s);
    Collect(Catalogue->Lambert2s);
    Collect(Catalogue->LambErens);
    Collect(Catalogue->Stereos);
    ASSERT_FALSE(Uncoded.empty());
    for (const TCSSelection& System : Uncoded) {
        SCOPED_TRACE(System.System->Name + " on " + System.Datum->Name);
        const auto Keys = WarpedKeys(System);
        EXPECT_EQ(Keys.at(gkProjectedCSType), std::vector<double>{gvUserDefined});
        EXPECT_EQ(Keys.count(gkProjCoordTrans), 1u);
        EXPECT_EQ(Keys.at(gkGeogSemiMajorAxis), std::vector<double>{System.Spheroid->A});
        EXPECT_EQ(Keys.at(gkGeogTOWGS84).size() == 3 || Keys.at(gkGeogTOWGS84).size() == 7, true);
    }
}

} // namespace
} // namespace vortane
