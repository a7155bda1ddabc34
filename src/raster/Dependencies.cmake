# The JPEG codec runs on libjpeg-turbo; the wavelet codec compresses its coefficients with zlib.
pkg_check_modules(LIBJPEG REQUIRED IMPORTED_TARGET libjpeg)
pkg_check_modules(ZLIB REQUIRED IMPORTED_TARGET zlib)
target_link_libraries(${target} PRIVATE PkgConfig::LIBJPEG PkgConfig::ZLIB)
# libtiff decodes the TIFF images the mapped reader cannot address in place (compressed, tiled, BigTIFF).
find_package(TIFF REQUIRED)
target_link_libraries(${target} PRIVATE TIFF::TIFF)
