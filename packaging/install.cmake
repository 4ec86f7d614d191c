# Installing kavret as a Linux program and packaging it for Debian:
#   bin/kavret, share/kavret/ (the generated data), share/applications/kavret.desktop,
#   share/icons/hicolor/<n>x<n>/apps/kavret.png, share/man/man6/kavret.6.gz.
# The program finds share/kavret relative to its own path (app/data_dir.h), so
# an installed tree works from any prefix and may be moved as a whole.
# `cpack -G DEB` (in the build folder) makes the Debian package.

# The manual page is written from `kavret --help`, so it is built only where
# the program runs on the build machine.
if(CMAKE_CROSSCOMPILING OR EMSCRIPTEN)
  return()
endif()

set(kavret_manpage "${CMAKE_BINARY_DIR}/kavret.6.gz")
add_custom_command(
  OUTPUT "${kavret_manpage}"
  COMMAND "${CMAKE_COMMAND}" -DPROGRAM=$<TARGET_FILE:kavret> -DVERSION=${PROJECT_VERSION}
    -DDATA_DIR=${KAVRET_INSTALL_DATA_DIR} -DOUT=${CMAKE_BINARY_DIR}/kavret.6
    -P "${PROJECT_SOURCE_DIR}/packaging/manpage.cmake"
  # -n: no name or time stamp in the archive, so the package is reproducible.
  COMMAND gzip -9nf "${CMAKE_BINARY_DIR}/kavret.6"
  DEPENDS kavret "${PROJECT_SOURCE_DIR}/packaging/manpage.cmake"
  COMMENT "Writing the manual page from kavret --help"
  VERBATIM)
add_custom_target(kavret_manpage ALL DEPENDS "${kavret_manpage}")

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS kavret RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(DIRECTORY "${KAVRET_DATA_DIR}/" DESTINATION "${KAVRET_INSTALL_DATA_DIR}"
  PATTERN "*.tmp" EXCLUDE)
install(DIRECTORY "${KAVRET_ICON_DIR}/" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/kavret.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${kavret_manpage}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man6")

# The manual page lists every option of --help; the desktop entry passes
# desktop-file-validate where Debian's desktop-file-utils is installed.
add_test(NAME PackageManPageListsEveryOption
  COMMAND "${CMAKE_COMMAND}" -DPROGRAM=$<TARGET_FILE:kavret> -DMANPAGE=${kavret_manpage}
    -P "${PROJECT_SOURCE_DIR}/packaging/check_manpage.cmake")
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  add_test(NAME PackageDesktopEntryIsValid
    COMMAND "${DESKTOP_FILE_VALIDATE}" "${PROJECT_SOURCE_DIR}/packaging/kavret.desktop")
endif()

set(KAVRET_MAINTAINER "kavret developers <kavret@example.org>" CACHE STRING
  "The Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kavret)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "kavret developers")
set(CPACK_PACKAGE_CONTACT "${KAVRET_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time 3D demo in the style of the late 1990s")
# CPack puts the summary above this as the description's first line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "kavret plays the Ossik Kavret Demo: eight animated 3D scenes with lens
flares, particle sprites and tracker music, drawn by a software renderer
that works the way a 1998 3D accelerator did. It runs in a window, full
screen, or without a display, and can capture the whole demo frame by frame
into a video with its sound. Its models, textures and music are its own.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KAVRET_MAINTAINER}")
# Depends from the libraries the program links (dpkg-shlibdeps, from dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# ffmpeg turns a capture into an MP4; without it a capture is PNG frames and a WAV.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ffmpeg)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
