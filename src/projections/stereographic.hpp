#pragma once
// Oblique ellipsoidal stereographic projection ("stereo.dat", type "STEREOGRAPHIC") centred on (λ0, φ0)
// with scale factor k0 there. Evaluated by power series about the origin, which agree with the double
// (conformal-sphere) stereographic projection to the millimetre within 1° of the origin and to a few
// centimetres within 3°.

#include "projections/origin_series.hpp"

#include <memory>
#include <string>

namespace vortane {

class TStereoProj final : public TSeriesProjection {
public:
    explicit TStereoProj(const std::string& Line) : TSeriesProjection(Line) {
        TStereoProj::ComputeConstants();
    }

    std::string GetParamText() const override;
    std::unique_ptr<TProjection> Clone() const override;
    void ComputeConstants() override;
};

class TStereoProjList : public TCodeListOf<TStereoProj> {
public:
    // Appends one entry per record of a stored "stereo.dat". False when the file is missing or a read
    // error occurs (entries read before it stay).
    bool LoadFromFile(const std::string& FileName);
};

} // namespace vortane
