target_link_libraries(test_dx PRIVATE kavret_dx kavret_capture PNG::PNG)
# The windowed presenting tests read the window back from the X server itself.
find_package(X11 REQUIRED)
target_link_libraries(test_dx PRIVATE X11::X11 PkgConfig::SDL2)
