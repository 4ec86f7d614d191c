# The view test drives the dialog's SDL window with synthesised keys.
target_link_libraries(test_dialog PRIVATE PkgConfig::SDL2 kavret_capture)
