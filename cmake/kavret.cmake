# Small helpers shared by every folder's CMakeLists.txt.

# kavret_library(NAME [DEPS ...]): a static library from the .cpp files of the
# current folder (not its subfolders), with the repository root on the include path.
function(kavret_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  if(NOT sources)
    set(sources "${PROJECT_SOURCE_DIR}/cmake/empty.cpp")
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
  if(ARG_PRIVATE_DEPS)
    target_link_libraries(${name} PRIVATE ${ARG_PRIVATE_DEPS})
  endif()
endfunction()

# kavret_test(FOLDER [LIBS ...]): one GoogleTest binary from the .cpp files of
# tests/FOLDER, named after it (tests/platform/dx gives test_platform_dx),
# linking the tests' support library and LIBS, the library it tests; registered
# with CTest test by test.
function(kavret_test folder)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  string(REPLACE "/" "_" name "${folder}")
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp")
  add_executable(test_${name} ${sources})
  # The support library comes first: its engine-side helpers call into LIBS.
  target_link_libraries(test_${name} PRIVATE kavret_test_support ${ARG_LIBS} GTest::gtest GTest::gmock
    GTest::gtest_main)
  gtest_discover_tests(test_${name}
    WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")
endfunction()
