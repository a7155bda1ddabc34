# PROJ writes the WKT of an output's coordinate system (never the projection arithmetic, which is ours).
target_link_libraries(${target} PRIVATE PkgConfig::PROJ)
