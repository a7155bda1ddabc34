#pragma once
// The datum change between two coordinate systems. Every change passes through the hub spheroid
// (catalogue code "WE"): source datum -> hub -> target datum. An ordinary datum shifts to the hub
// with its seven parameters as stored and from the hub with all seven negated; a grid datum uses
// its own two operations. A grid datum's "outside the grid" result is ignored: such a position
// goes on unshifted.
//
// Positions are (Lat, Lon, H) in radians and metres. Longitudes that come out of a seven-parameter
// step lie in [0, 2*pi).

#include "crs/datum.hpp"
#include "crs/spheroid.hpp"

namespace vortane {

// The hub spheroid's catalogue code, and its catalogue record for the grid datums, which carry
// their own copy of it.
inline constexpr const char* HubSpheroidCode = "WE";
inline constexpr const char* HubSpheroidRecord = "WE\t6378137\t298.2572235637\tWGS 1984";

// A position on (Spheroid, Datum) as a position on the hub datum and Hub spheroid; Trig2, when given,
// receives the sine and cosine of Lat2.
void ShiftDatumToHub(const TSpheroid& Spheroid, const TDatumRecord& Datum, const TSpheroid& Hub, double Lat,
                     double Lon, double H, double& Lat2, double& Lon2, double& H2,
                     TLatitudeTrig* Trig2 = nullptr);

// A position on the hub datum and Hub spheroid as a position on (Spheroid, Datum); Trig2 as above.
void ShiftDatumFromHub(const TSpheroid& Hub, const TDatumRecord& Datum, const TSpheroid& Spheroid, double Lat,
                       double Lon, double H, double& Lat2, double& Lon2, double& H2,
                       TLatitudeTrig* Trig2 = nullptr);

// The two shifts for N positions in separate arrays (no overlap between arguments and results), each
// with the bits of the one-position form; Sin2 and Cos2 receive every latitude's sine and cosine.
void ShiftDatumToHubMany(const TSpheroid& Spheroid, const TDatumRecord& Datum, const TSpheroid& Hub,
                         const double* Lat, const double* Lon, const double* H, std::size_t N, double* Lat2,
                         double* Lon2, double* H2, double* Sin2, double* Cos2);
void ShiftDatumFromHubMany(const TSpheroid& Hub, const TDatumRecord& Datum, const TSpheroid& Spheroid,
                           const double* Lat, const double* Lon, const double* H, std::size_t N, double* Lat2,
                           double* Lon2, double* H2, double* Sin2, double* Cos2);

// True when no datum change is needed: the same catalogue objects on both sides (identity, not equal
// values, so two catalogue entries with the same numbers still go through the hub).
bool IsSameDatum(const TSpheroid& SourceSpheroid, const TDatumRecord& SourceDatum,
                 const TSpheroid& TargetSpheroid, const TDatumRecord& TargetDatum);

// The whole change: the position unchanged when IsSameDatum, otherwise to the hub with the source
// and from the hub with the target.
void ChangeDatum(const TSpheroid& SourceSpheroid, const TDatumRecord& SourceDatum, const TSpheroid& Hub,
                 const TDatumRecord& TargetDatum, const TSpheroid& TargetSpheroid, double Lat, double Lon,
                 double H, double& Lat2, double& Lon2, double& H2);

} // namespace vortane
