#pragma once
// GeoTIFF keys as plain values (GeoTIFF 1.1, OGC 19-008, section 7): what a TIFF reader found in an image's
// GeoKeyDirectory, GeoDoubleParams and GeoAsciiParams tags, and what a writer puts there. The raster layer
// moves these values between files and callers; it never interprets a projection from them: the layer
// above matches them against the catalogue.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vortane {

// TIFF tags holding the keys.
enum : std::uint16_t {
    tagGeoKeyDirectoryId = 34735, // SHORTs: header and key entries
    tagGeoDoubleParamsId = 34736, // DOUBLEs referenced by key entries
    tagGeoAsciiParamsId = 34737,  // '|'-terminated texts referenced by key entries
};

// Key identifiers.
enum : std::uint16_t {
    gkModelType = 1024,  // 1 projected, 2 geographic, 3 geocentric
    gkRasterType = 1025, // 1 PixelIsArea, 2 PixelIsPoint
    gkCitation = 1026,
    gkGeographicType = 2048,
    gkGeogCitation = 2049,
    gkGeogGeodeticDatum = 2050,
    gkGeogPrimeMeridian = 2051,
    gkGeogAngularUnits = 2054,
    gkGeogEllipsoid = 2056,
    gkGeogSemiMajorAxis = 2057,
    gkGeogSemiMinorAxis = 2058,
    gkGeogInvFlattening = 2059,
    gkGeogTOWGS84 = 2062,
    gkProjectedCSType = 3072,
    gkPCSCitation = 3073,
    gkProjection = 3074,
    gkProjCoordTrans = 3075,
    gkProjLinearUnits = 3076,
    gkProjStdParallel1 = 3078,
    gkProjStdParallel2 = 3079,
    gkProjNatOriginLong = 3080,
    gkProjNatOriginLat = 3081,
    gkProjFalseEasting = 3082,
    gkProjFalseNorthing = 3083,
    gkProjFalseOriginLong = 3084,
    gkProjFalseOriginLat = 3085,
    gkProjFalseOriginEasting = 3086,
    gkProjFalseOriginNorthing = 3087,
    gkProjCenterLong = 3088,
    gkProjCenterLat = 3089,
    gkProjScaleAtNatOrigin = 3092,
    gkProjScaleAtCenter = 3093,
};

// Key values with a fixed meaning.
enum : std::uint16_t {
    gvModelProjected = 1,
    gvModelGeographic = 2,
    gvRasterPixelIsArea = 1,
    gvRasterPixelIsPoint = 2,
    gvUserDefined = 32767,
    gvLinearMetre = 9001,
    gvLinearUSSurveyFoot = 9003,
    gvAngularRadian = 9101,
    gvAngularDegree = 9102,
    gvCTTransverseMercator = 1,
    gvCTLambertConfConic2SP = 8,
    gvCTLambertConfConic1SP = 9,
    gvCTStereographic = 14,
    gvCTPolarStereographic = 15,
    gvCTObliqueStereographic = 16,
};

// One key with its value: a SHORT, DOUBLEs or a text, as its entry's location says.
struct TGeoKey {
    std::uint16_t Id = 0;
    std::vector<std::uint16_t> Shorts; // location 0 (one value) or the directory itself
    std::vector<double> Doubles;       // location GeoDoubleParams
    std::string Text;                  // location GeoAsciiParams, without the '|' terminator
};

// The keys of one image, in ascending key order as a directory lists them.
struct TGeoKeySet {
    std::vector<TGeoKey> Keys;

    const TGeoKey* Find(std::uint16_t Id) const {
        for (const TGeoKey& Key : Keys)
            if (Key.Id == Id) return &Key;
        return nullptr;
    }
    // The single SHORT value of a key; none when the key is missing or holds something else.
    std::optional<std::uint16_t> Short(std::uint16_t Id) const {
        const TGeoKey* Key = Find(Id);
        if (!Key || Key->Shorts.size() != 1) return std::nullopt;
        return Key->Shorts[0];
    }
    // The first DOUBLE value of a key; none when the key is missing or holds no DOUBLE.
    std::optional<double> Double(std::uint16_t Id) const {
        const TGeoKey* Key = Find(Id);
        if (!Key || Key->Doubles.empty()) return std::nullopt;
        return Key->Doubles[0];
    }
};

} // namespace vortane
