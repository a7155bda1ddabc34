target_link_libraries(${target} PRIVATE PkgConfig::PROJ)
# The command tests load the shipped catalogue files the build writes next to the programs.
add_dependencies(${target} vortane_catalogue_data)
target_link_libraries(${target} PRIVATE TIFF::TIFF) # the info tests write TIFFs with libtiff
# Some tests run the real program as a child process (a kill in the middle of a run, GNU parallel).
add_dependencies(${target} vortane-cli)
