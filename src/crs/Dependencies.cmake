target_link_libraries(${target} PUBLIC vortane_projections)
