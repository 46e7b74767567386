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

# The Debian package (./scripts/package): cmake/DebianPackage.cmake.
include(${CMAKE_CURRENT_LIST_DIR}/DebianPackage.cmake)
