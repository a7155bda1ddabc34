# SimpleIni for TIniAdd; its Debian package ships the implementation as a library.
pkg_check_modules(SIMPLEINI REQUIRED IMPORTED_TARGET simpleini)
target_link_libraries(${target} PRIVATE PkgConfig::SIMPLEINI)
target_compile_definitions(${target} PRIVATE SI_NO_CONVERSION)
