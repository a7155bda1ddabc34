# The GUI tests drive the real windows on Qt's offscreen platform and load the built catalogue.
find_package(Qt6 REQUIRED COMPONENTS Test)
target_link_libraries(${target} PRIVATE Qt6::Test)
add_dependencies(${target} vortane_catalogue_data)
