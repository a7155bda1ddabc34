#include "job/step_units.hpp"

#include "crs/projection.hpp"
#include "crs/spheroid.hpp"

namespace vortane {

bool IsGeographic(const TProjection* System) {
    return dynamic_cast<const TGeografic*>(System) != nullptr;
}

double CarryStep(double Step, bool FromRadians, bool ToRadians, const TSpheroid& Onto) {
    if (FromRadians == ToRadians) return Step;
    return ToRadians ? Step / Onto.A : Step * Onto.A;
}

} // namespace vortane
