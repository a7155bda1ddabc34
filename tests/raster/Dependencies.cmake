target_link_libraries(${target} PRIVATE TIFF::TIFF) # tests write their TIFFs with libtiff
