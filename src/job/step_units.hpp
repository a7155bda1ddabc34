#pragma once
// The unit of an output step: geographic systems count in radians, every other system in metres. A
// step carried from one unit to the other keeps its length on the ground as an arc of the spheroid's
// semi-major axis, so that an image's cells keep about their size in either kind of system.

namespace vortane {

class TProjection;
class TSpheroid;

// False for none.
bool IsGeographic(const TProjection* System);

// Step (radians when FromRadians, else metres) in the unit ToRadians names, as an arc on Onto's
// semi-major axis; unchanged when the two units agree.
double CarryStep(double Step, bool FromRadians, bool ToRadians, const TSpheroid& Onto);

} // namespace vortane
