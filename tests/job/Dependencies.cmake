target_link_libraries(${target} PRIVATE PkgConfig::PROJ)
add_dependencies(${target} vortane_catalogue_data) # the system tests load the shipped catalogue
