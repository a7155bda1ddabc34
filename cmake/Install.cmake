# Installed layout: programs in bin/, the catalogue in share/vortane/ (where the programs look when it
# is not beside them), man pages made from the programs' own --help, and a Debian package of all that.
include(GNUInstallDirs)

# help2man is needed only for the package; builds without it simply install no man pages.
find_program(VORTANE_HELP2MAN help2man)

# The man page of Target, written by running it with --help and --version after it is built. A program
# with commands (WITH_COMMANDS) also gets a COMMANDS section holding every command's own --help.
function(vortane_man_page target summary)
    if(NOT VORTANE_HELP2MAN)
        return()
    endif()
    cmake_parse_arguments(PARSE_ARGV 2 page_option "WITH_COMMANDS" "" "")
    set(page ${PROJECT_BINARY_DIR}/man/${target}.1)
    set(include_file)
    set(include_option)
    if(page_option_WITH_COMMANDS)
        set(include_file ${PROJECT_BINARY_DIR}/man/${target}-commands.h2m)
        set(include_option --include=${include_file})
        add_custom_command(
            OUTPUT ${include_file}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
            COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DOUTPUT=${include_file}
                    -P ${PROJECT_SOURCE_DIR}/cmake/CommandHelpSection.cmake
            DEPENDS ${target} ${PROJECT_SOURCE_DIR}/cmake/CommandHelpSection.cmake
            COMMENT "Collecting the command help of ${target}"
            VERBATIM)
    endif()
    add_custom_command(
        OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
        COMMAND ${VORTANE_HELP2MAN} --no-info --no-discard-stderr --section=1 --name=${summary}
                ${include_option} --output=${page} $<TARGET_FILE:${target}>
        DEPENDS ${target} ${include_file}
        COMMENT "Writing the man page of ${target}"
        VERBATIM)
    add_custom_target(${target}_man_page ALL DEPENDS ${page})
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

# `cmake --install` copies what the named targets built; `./dev package` builds exactly those first, so
# installing need not build the tests and benchmarks too.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vortane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vortane")
set(CPACK_PACKAGE_CONTACT "Vortane developers <developers@vortane.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Carries georeferenced raster images from one coordinate system into another")
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop program (vortane) and a command-line tool (vortane-cli) that resample georeferenced\n"
    "raster images (ER Mapper, TIFF, JPEG, BMP and more) between map projections and datums, one\n"
    "image or whole photo lists, with a processing log and a report of every output's extent.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The runtime libraries (libjpeg, zlib, libtiff, Qt, libstdc++ ...) as dpkg-shlibdeps finds them in the
# programs, with the versions of the machine that built the package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
