target_link_libraries(test_dx PRIVATE kavret_dx kavret_capture PNG::PNG)
