# The music tests render with libopenmpt and cross-check with libxmp, an
# independent XM reader.
pkg_check_modules(XMP REQUIRED IMPORTED_TARGET libxmp)
target_link_libraries(test_music PRIVATE PkgConfig::XMP PkgConfig::OPENMPT)
