#pragma once
// `--ers-registration corner|centre` of the commands that open ER Mapper headers: which point of its
// cell a header's registration coordinate gives (corner, as ER Mapper defines it, unless the files come
// from the older program, which wrote the centre).

#include "cli/cli_app.hpp"

#include <iosfwd>
#include <string>

namespace vortane {

void AddErsRegistrationOption(CLI::App& Command, std::string& Convention);

// Makes Convention ("corner", "centre"; empty keeps corner) the one every header opened from now on
// reads and writes. False, said on Err, for any other text.
bool ApplyErsRegistration(const std::string& Convention, std::ostream& Err);

} // namespace vortane
