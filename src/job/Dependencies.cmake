# The program version is part of every run's fingerprint.
target_compile_definitions(${target} PRIVATE VORTANE_VERSION="${PROJECT_VERSION}")
# PROJ writes the WKT of an output's coordinate system (never the projection arithmetic, which is ours).
target_link_libraries(${target} PRIVATE PkgConfig::PROJ)
