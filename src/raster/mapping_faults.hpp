#pragma once
// Faults on mapped file pages. Touching a mapped page the file cannot back (the file was cut short
// beneath the mapping, or the file system found no room for a page of a sparse file) raises SIGBUS,
// which would end the process in the middle of a run. The guard puts a zero page in place of the
// missing one, so the access completes, and records the address; the owner of the mapping then
// reports the run as failed instead of crashing.

#include <cstddef>

namespace vortane {

// Installs the SIGBUS guard once per process; later calls do nothing.
void GuardMappingFaults();

// True when a fault hit the Length bytes at Begin since the last call for that range; the records
// of those faults are taken, so a later mapping at the same address starts clean.
bool TakeMappingFaults(const unsigned char* Begin, std::size_t Length);

} // namespace vortane
