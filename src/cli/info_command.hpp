#pragma once
// `vortane-cli info PATH`: opens an image for reading through the raster data set and prints its
// geometry and georeferencing as "key: value" lines, one per line, in a fixed order; last, the image's
// coordinate system as the catalogue knows it.

#include "cli/cli_app.hpp"

#include <iosfwd>
#include <string>

namespace vortane {

void AddInfoCommand(CLI::App& App, TCliContext& Context);

// Prints the description of the image at Path to Out, its system looked up in the catalogue of
// CatalogueFolder (ending with "/"). When it cannot be opened, prints the error text to Err and returns
// ExitFailure.
int ShowImageInfo(const std::string& Path, const std::string& CatalogueFolder, std::ostream& Out,
                  std::ostream& Err);

} // namespace vortane
