target_link_libraries(test_integration PRIVATE PkgConfig::SDL2)
# The headless settings test and the signal tests run the program itself.
add_dependencies(test_integration kavret kavret_data)
target_compile_definitions(test_integration PRIVATE KAVRET_PROGRAM="$<TARGET_FILE:kavret>")
# The signal tests act on the program's windows through X (XTest, loaded at run time).
find_package(X11 REQUIRED)
target_link_libraries(test_integration PRIVATE X11::X11 ${CMAKE_DL_LIBS})
