# The content tests read our scene files back with lib3ds as well, an
# independent reader (it ships no pkg-config file).
find_library(LIB3DS_LIBRARY NAMES 3ds REQUIRED)
find_path(LIB3DS_INCLUDE_DIR lib3ds/file.h REQUIRED)
target_include_directories(test_content PRIVATE "${LIB3DS_INCLUDE_DIR}")
target_link_libraries(test_content PRIVATE "${LIB3DS_LIBRARY}")
