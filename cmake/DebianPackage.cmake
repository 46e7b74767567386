# The Debian package (./scripts/package): CPack's DEB generator from the
# install rules; dpkg-shlibdeps finds the library dependencies. The package's
# copyright file (Debian's machine-readable format, the licence text taken
# from LICENSE) and changelog.Debian.gz (one entry for this version, dated as
# the AppStream release) are made at build time.
set(VOXLET_MAINTAINER "Voxlet developers <voxlet@example.org>")
set(doc ${CMAKE_BINARY_DIR}/debian-doc)

file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX REPLACE "^MIT License\n\n[^\n]*\n\n" "" licence "${licence}")
string(REGEX REPLACE "\n+$" "" licence "${licence}")
string(REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " licence "${licence}")
file(CONFIGURE OUTPUT ${doc}/copyright CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Voxlet
Upstream-Contact: ${VOXLET_MAINTAINER}

Files: *
Copyright: 2026 Voxlet developers
License: Expat
 ${licence}
")

file(STRINGS ${PROJECT_SOURCE_DIR}/resources/org.example.Voxlet.metainfo.xml release
     REGEX "<release version=\"${PROJECT_VERSION}\" date=")
string(REGEX REPLACE ".*date=\"([0-9-]+)\".*" "\\1" release_date "${release}")
if(NOT release_date MATCHES "^[0-9]+-[0-9]+-[0-9]+$")
  message(FATAL_ERROR "no AppStream release ${PROJECT_VERSION} to date the package's changelog")
endif()
# RFC 5322 date at noon UTC, as dpkg-parsechangelog reads it.
execute_process(COMMAND date -u -R -d "${release_date} 12:00"
                OUTPUT_VARIABLE changelog_date OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(VOXLET_DEBIAN_RELEASE 1)
file(CONFIGURE OUTPUT ${doc}/changelog.Debian CONTENT
"voxlet (${PROJECT_VERSION}-${VOXLET_DEBIAN_RELEASE}) unstable; urgency=medium

  * Voxlet ${PROJECT_VERSION}.

 -- ${VOXLET_MAINTAINER}  ${changelog_date}
")
find_program(GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${doc}/changelog.Debian.gz
                   COMMAND ${GZIP} -9nc ${doc}/changelog.Debian > ${doc}/changelog.Debian.gz
                   DEPENDS ${doc}/changelog.Debian)
add_custom_target(debian_doc ALL DEPENDS ${doc}/changelog.Debian.gz)
install(FILES ${doc}/copyright ${doc}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/voxlet)
# The tags lintian is told to leave, each with its reason.
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME voxlet)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME voxlet)
set(CPACK_PACKAGE_VENDOR "Voxlet")
set(CPACK_PACKAGE_CONTACT "${VOXLET_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "voice player and sender for the hobby robot Tiko")
# Lines within 80 columns with the leading space the control file adds.
set(CPACK_PACKAGE_DESCRIPTION
    "Voxlet plays the recorded voice clips of the hobby robot Tiko on the PC,\n"
    "sends them to the robot (through its memory card or to FlashAir cards over\n"
    "Wi-Fi), runs timed sequences and play lists, and exports robot programs.\n"
    "Japanese user interface. Includes a demo voice set, a FlashAir card emulator\n"
    "and robot stand-in (voxlet-card) and a headless scenario runner\n"
    "(voxlet-script).")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VOXLET_DEBIAN_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not seen by shlibdeps either: libcurl, which the HTTP transport loads with
# dlopen on the first exchange (either of Debian's flavours, at least the
# version built against), SDL2, which PC audio loads with dlopen when it
# opens, the Japanese locale the toolkit's own texts (file choosers) are read
# in whatever the system language, and the C library's translations of its
# own texts (a file's write refused), shown in Japanese.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libcurl4 (>= ${VOXLET_CURL_VERSION}) | libcurl3-gnutls (>= ${VOXLET_CURL_VERSION}), locales-all, libc-l10n")
if(VOXLET_SDL)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libsdl2-2.0-0 (>= ${VOXLET_SDL_VERSION})")
endif()
# Not found by shlibdeps: the font the window's Japanese text falls back to.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk")
include(CPack)
