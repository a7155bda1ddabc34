// The shipped EPSG table against PROJ's EPSG database: every code exists, is not deprecated, is of the
// kind its line says and carries the published name the line gives; its datum is the line's datum;
// and every projected code's grid is what the catalogue's own system computes on the datum's
// spheroid. So the table cannot hold a wrong code unnoticed.

#include "catalogue/catalogue.hpp"
#include "catalogue/published_values.hpp"
#include "crs/french_grid.hpp"
#include "crs/nadcon.hpp"

#include <gtest/gtest.h>
#include <proj.h>

#include <memory>
#include <regex>
#include <string>

namespace vortane {
namespace {

constexpr int GridSize = 5; // points across the area of use, both ways

class ShippedEpsgTable : public PublishedValues {
protected:
    void SetUp() override {
        PublishedValues::SetUp();
        ASSERT_TRUE(Catalogue.LoadAll(std::string(VORTANE_BINARY_DIR) + "/bin/"));
        EXPECT_TRUE(Catalogue.Warnings.empty());
        ASSERT_FALSE(Catalogue.EpsgCodes.Empty()) << "no epsg.txt beside the stored catalogue";
    }

    // The published object of a line: present, current, and named as the line says.
    TPj Published(const TEpsgEntry& Entry, PJ_CATEGORY Category) const {
        TPj Object = FromDatabase(Entry.Code, Category);
        EXPECT_NE(Object, nullptr) << "EPSG:" << Entry.Code << " is not in the database";
        if (!Object) return Object;
        EXPECT_FALSE(proj_is_deprecated(Object.get())) << "EPSG:" << Entry.Code << " is deprecated";
        EXPECT_EQ(proj_get_name(Object.get()), Entry.Description);
        return Object;
    }

    // The table's datum name of a system's geodetic datum; empty when the table lists none.
    std::string TableDatumOf(const PJ* Crs) const {
        const TPj Datum(proj_crs_get_datum_forced(FContext, Crs));
        const char* Code = Datum ? proj_get_id_code(Datum.get(), 0) : nullptr;
        const TEpsgEntry* Entry = Code ? Catalogue.EpsgCodes.DatumOfCode(std::stoi(Code)) : nullptr;
        return Entry ? Entry->Datum : "";
    }

    // The ellipsoid of Object must be the spheroid of the catalogue datum Datum.
    void ExpectDatumsSpheroid(const PJ* Object, const std::string& Datum) const {
        const TDatumRecord* Record = Catalogue.FindDatum(Datum);
        const TSpheroid* Spheroid = Record ? Catalogue.FindSpheroid(Record->SpheroidCode) : nullptr;
        ASSERT_NE(Spheroid, nullptr) << Datum;
        const auto [A, B] = AxesOf(TPj(proj_get_ellipsoid(FContext, Object)).get());
        EXPECT_EQ(Spheroid->A, A) << Datum;
        EXPECT_NEAR(Spheroid->A * (1.0 - Spheroid->F), B, LengthTolerance / 10) << Datum;
    }

    TCSList Catalogue;
};

TEST_F(ShippedEpsgTable, EveryNameIsACatalogueName) {
    // The grid datums are in the catalogue only while their grid files are; the table lists them all.
    const std::string GridDatums[] = {TNadCon().Name, TFrenchGrid().Name};
    for (const TEpsgEntry& Entry : Catalogue.EpsgCodes.Entries()) {
        SCOPED_TRACE("EPSG:" + std::to_string(Entry.Code));
        const bool GridDatum = Entry.Datum == GridDatums[0] || Entry.Datum == GridDatums[1];
        EXPECT_TRUE(GridDatum || Catalogue.FindDatum(Entry.Datum)) << "unknown datum " << Entry.Datum;
        if (Entry.Kind == EEpsgKind::Projected) {
            EXPECT_NE(Catalogue.FindSystem(Entry.System), nullptr) << "unknown system " << Entry.System;
        }
    }
}

TEST_F(ShippedEpsgTable, CodesOfOtherGisSoftwareNameTheirCatalogueSystemsBothWays) {
    const struct {
        int Code;
        const char* Spheroid;
        const char* Datum;
        const char* System;
    } Cases[] = {
        {32634, "WE", "WGS84", "NUTM34"},
        {32734, "WE", "WGS84", "SUTM34"},
        {23034, "IN", "ED50", "NUTM34"},
        {4326, "WE", "WGS84", "Geographic:(decimal degrees)"},
        {27700, "AA", "OSGB36", "BNG"},
        {31370, "IN", "BD72", "BELGE_LAMBERT72"},
        {2154, "RF", "ETRS89", "LAMBERT93"},
        {28992, "BR", "Amersfoort", "RD_NEW"},
        {3844, "KA", "Pulkovo1942(58)", "STEREO70"},
        {3006, "RF", "ETRS89", "SWEREF99_TM"},
        {25833, "RF", "ETRS89", "ETRS89_UTM33"},
        {3833, "KA", "Pulkovo1942(58)", "TMGKN02"}, // 28402 on Pulkovo 1942 is deprecated for it
        {20249, "AN", "AGD66", "AMG49"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE("EPSG:" + std::to_string(Case.Code));
        TCSSelection Found;
        ASSERT_TRUE(Catalogue.ResolveEpsgCode(Case.Code, Found));
        EXPECT_EQ(Found.Spheroid->Name, Case.Spheroid);
        EXPECT_EQ(Found.Datum->Name, Case.Datum);
        EXPECT_EQ(Found.System->Name, Case.System);
        EXPECT_EQ(Catalogue.EpsgCodeOf(Found), Case.Code);
    }
    // Deprecated codes and zone grids (many zones, one system) stay without a code.
    const auto CodeOf = [this](const char* Spheroid, const char* Datum, const char* System) {
        return Catalogue.EpsgCodeOf(
            {Catalogue.FindSpheroid(Spheroid), Catalogue.FindDatum(Datum), Catalogue.FindSystem(System)});
    };
    EXPECT_EQ(CodeOf("KA", "Pulkovo1942", "TMGKN02"), 0);
    EXPECT_EQ(CodeOf("WE", "WGS84", "UTM_North"), 0);
    EXPECT_EQ(CodeOf("KA", "Pulkovo1942", "TMGKN04"), 28404);
    TCSSelection None;
    EXPECT_FALSE(Catalogue.ResolveEpsgCode(28402, None));
}

TEST_F(ShippedEpsgTable, DatumCodesArePublishedDatumsOnTheDatumsSpheroids) {
    int Checked = 0;
    for (const TEpsgEntry& Entry : Catalogue.EpsgCodes.Entries()) {
        if (Entry.Kind != EEpsgKind::Datum || !Catalogue.FindDatum(Entry.Datum)) continue;
        SCOPED_TRACE(Entry.Datum + " EPSG:" + std::to_string(Entry.Code));
        const TPj Datum = Published(Entry, PJ_CATEGORY_DATUM);
        if (!Datum) continue;
        ExpectDatumsSpheroid(Datum.get(), Entry.Datum);
        ++Checked;
    }
    EXPECT_GE(Checked, Catalogue.Datums.Count());
}

TEST_F(ShippedEpsgTable, DatumsFirstCodeIsTheSourceOfItsPublishedShift) {
    // Datums.dat names the published transformation of each datum; its source system's datum is the
    // datum the table must write.
    static const std::regex Transformation("EPSG:([0-9]+)");
    for (int I = 0; I < Catalogue.Datums.Count(); ++I) {
        const TDatumRecord& Datum = *Catalogue.Datums.Item(I);
        std::smatch Match;
        if (Datum.Name == "WGS84" || !std::regex_search(Datum.Comment, Match, Transformation)) continue;
        SCOPED_TRACE(Datum.Name + " " + Match.str());
        const TPj Shift = FromDatabase(std::stoi(Match[1].str()), PJ_CATEGORY_COORDINATE_OPERATION);
        ASSERT_NE(Shift, nullptr);
        const TPj Source(proj_get_source_crs(FContext, Shift.get()));
        ASSERT_NE(Source, nullptr);
        const TPj SourceDatum(proj_crs_get_datum_forced(FContext, Source.get()));
        EXPECT_EQ(std::to_string(Catalogue.EpsgCodes.DatumCode(Datum.Name)),
                  proj_get_id_code(SourceDatum.get(), 0));
    }
    EXPECT_EQ(Catalogue.EpsgCodes.DatumCode("WGS84"), 6326);
}

TEST_F(ShippedEpsgTable, GeographicCodesAreTheirDatumsGeographicSystems) {
    for (const TEpsgEntry& Entry : Catalogue.EpsgCodes.Entries()) {
        if (Entry.Kind != EEpsgKind::Geographic || !Catalogue.FindDatum(Entry.Datum)) continue;
        SCOPED_TRACE(Entry.Datum + " EPSG:" + std::to_string(Entry.Code));
        const TPj Crs = Published(Entry, PJ_CATEGORY_CRS);
        if (!Crs) continue;
        EXPECT_EQ(proj_get_type(Crs.get()), PJ_TYPE_GEOGRAPHIC_2D_CRS);
        EXPECT_EQ(TableDatumOf(Crs.get()), Entry.Datum);
        ExpectDatumsSpheroid(Crs.get(), Entry.Datum);
    }
}

TEST_F(ShippedEpsgTable, ProjectedCodesGiveTheGridsOfTheCatalogueSystems) {
    // The catalogue's system, by its exact form on the datum's spheroid, against the published grid
    // over the published area of use: any other projection, parameter, unit or ellipsoid shows.
    int Checked = 0;
    for (const TEpsgEntry& Entry : Catalogue.EpsgCodes.Entries()) {
        if (Entry.Kind != EEpsgKind::Projected) continue;
        SCOPED_TRACE(Entry.System + " on " + Entry.Datum + " EPSG:" + std::to_string(Entry.Code));
        TCSSelection Selection;
        if (!Catalogue.ResolveEpsgEntry(Entry, Selection)) continue; // a grid datum without its files
        const TPj Crs = Published(Entry, PJ_CATEGORY_CRS);
        if (!Crs) continue;
        EXPECT_EQ(proj_get_type(Crs.get()), PJ_TYPE_PROJECTED_CRS);
        EXPECT_EQ(TableDatumOf(Crs.get()), Entry.Datum);
        ExpectDatumsSpheroid(Crs.get(), Entry.Datum);

        std::unique_ptr<TProjection> System = Selection.System->Clone();
        System->SetSpheroid(*Selection.Spheroid);
        System->ExactForm = true;
        const TPj Grid = PublishedProjection(Crs.get());
        ASSERT_NE(Grid, nullptr);
        for (const TLonLat& P : AreaGrid(Crs.get(), GridSize)) {
            PJ_COORD Ours{};
            double Z = 0.0;
            System->GeoToProj(P.Lat / DegPerRad, P.Lon / DegPerRad, 0.0, Ours.xy.x, Ours.xy.y, Z);
            ExpectSamePlanePoint(Ours, Forward(Grid.get(), P),
                                 "at " + std::to_string(P.Lon) + " " + std::to_string(P.Lat));
        }
        ++Checked;
    }
    EXPECT_GE(Checked, 300);
}

} // namespace
} // namespace vortane
