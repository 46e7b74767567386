# Install rules: the programs, the menu entry, its icons and AppStream data,
# the man pages and the demo voice set. The layout is relative (bin/ and
# share/voxlet/), so one build works under /usr, /usr/local or a staged folder:
# the programs find share/voxlet from their own location.
set(VOXLET_PROGRAMS voxlet-card voxlet-script)
if(TARGET voxlet)
  list(PREPEND VOXLET_PROGRAMS voxlet)
endif()
install(TARGETS ${VOXLET_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(res ${PROJECT_SOURCE_DIR}/resources)
install(FILES ${res}/voxlet.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${res}/org.example.Voxlet.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 48 256)
  install(FILES ${res}/icons/voxlet-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME voxlet.png)
endforeach()
install(FILES ${res}/icons/voxlet.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Man pages, compressed as Debian installs them when gzip is there.
find_program(GZIP gzip)
set(man_outputs)
foreach(page voxlet voxlet-card voxlet-script)
  set(source ${res}/man/${page}.1)
  if(GZIP)
    set(out ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
    add_custom_command(OUTPUT ${out}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
                       COMMAND ${CMAKE_COMMAND} -E copy ${source} ${CMAKE_BINARY_DIR}/man/${page}.1
                       COMMAND ${GZIP} -9nf ${CMAKE_BINARY_DIR}/man/${page}.1
                       DEPENDS ${source} VERBATIM)
  else()
    set(out ${source})
  endif()
  list(APPEND man_outputs ${out})
endforeach()
add_custom_target(man ALL DEPENDS ${man_outputs})
install(FILES ${man_outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The demo voice set, generated at build time (tools/demo); read-only once
# installed.
install(DIRECTORY ${VOXLET_DEMO_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/voxlet/demo)

# The Debian package (./scripts/package): CPack's DEB generator from the same
# install rules; dpkg-shlibdeps finds the library dependencies.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME voxlet)
set(CPACK_PACKAGE_VENDOR "Voxlet")
set(CPACK_PACKAGE_CONTACT "Voxlet developers <voxlet@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "voice player and sender for the hobby robot Tiko")
set(CPACK_PACKAGE_DESCRIPTION
    "Voxlet plays the recorded voice clips of the hobby robot Tiko on the PC, sends them\n"
    "to the robot (through its memory card or to FlashAir cards over Wi-Fi), runs timed\n"
    "sequences and play lists, and exports robot programs. Japanese user interface.\n"
    "Includes a demo voice set, a FlashAir card emulator and robot stand-in\n"
    "(voxlet-card) and a headless scenario runner (voxlet-script).")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not seen by shlibdeps either: libcurl, which the HTTP transport loads with
# dlopen on the first exchange (either of Debian's flavours, at least the
# version built against), SDL2, which PC audio loads with dlopen when it
# opens, and the Japanese locale the toolkit's own texts (file choosers) are
# read in whatever the system language.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libcurl4 (>= ${VOXLET_CURL_VERSION}) | libcurl3-gnutls (>= ${VOXLET_CURL_VERSION}), locales-all")
if(VOXLET_SDL)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libsdl2-2.0-0 (>= ${VOXLET_SDL_VERSION})")
endif()
# Not found by shlibdeps: the font the window's Japanese text falls back to.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk")
include(CPack)
