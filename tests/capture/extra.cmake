# The determinism test runs the program itself.
add_dependencies(test_capture kavret kavret_data)
