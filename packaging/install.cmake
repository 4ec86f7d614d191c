# Installing kavret as a Linux program and packaging it for Debian:
#   bin/kavret, share/kavret/ (the generated data), share/applications/kavret.desktop,
#   share/icons/hicolor/<n>x<n>/apps/kavret.png, share/man/man6/kavret.6.gz.
# The program finds share/kavret relative to its own path (app/data_dir.h), so
# an installed tree works from any prefix and may be moved as a whole.


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
