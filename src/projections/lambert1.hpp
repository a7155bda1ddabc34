#pragma once
// Lambert conformal conic with one standard parallel ("Lambert1.dat", type "LAMBERT1"): the cone touches
// the spheroid along the parallel of the origin latitude φ0. Evaluated by power series about the
// origin, which agree with the closed-form tangent cone to the millimetre within 1° of the origin and
// to about a centimetre within 3°.

#include "projections/origin_series.hpp"

#include <memory>
#include <string>

namespace vortane {

class TLambert1 final : public TSeriesProjection {
public:
    explicit TLambert1(const std::string& Line) : TSeriesProjection(Line) { TLambert1::ComputeConstants(); }

    std::string GetParamText() const override;
    std::unique_ptr<TProjection> Clone() const override;
    void ComputeConstants() override;
};

class TLambert1List : public TCodeListOf<TLambert1> {
public:
    // Appends one entry per record of a stored "Lambert1.dat". False when the file is missing or a read
    // error occurs (entries read before it stay).
    bool LoadFromFile(const std::string& FileName);
};

} // namespace vortane
