target_link_libraries(test_integration PRIVATE PkgConfig::SDL2)
# The headless settings test runs the program itself.
add_dependencies(test_integration kavret kavret_data)
