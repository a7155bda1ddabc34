#include "cli/ers_registration_option.hpp"

#include "raster/ers/ers_map.hpp"

#include <ostream>

namespace vortane {

void AddErsRegistrationOption(CLI::App& Command, std::string& Convention) {
    Command
        .add_option("--ers-registration", Convention,
                    "Point of its cell an ER Mapper header's RegistrationCoord gives: corner (default, as ER "
                    "Mapper, GDAL and QGIS take it) or centre (files of the older program)")
        ->type_name("corner|centre");
}

bool ApplyErsRegistration(const std::string& Convention, std::ostream& Err) {
    const std::optional<TErsRegistration> Chosen =
        Convention.empty() ? TErsRegistration::Corner : ErsRegistrationByName(Convention);
    if (!Chosen) {
        Err << "ER Mapper registration \"" << Convention << "\" is neither corner nor centre\n";
        return false;
    }
    SetErsRegistration(*Chosen);
    return true;
}

} // namespace vortane
