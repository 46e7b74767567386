# The libraries' layers, lowest first; the libraries of one row sit beside
# each other. A library links only libraries of the rows below its own, and a
# test program only its own library's row and those below it: both are
# checked when the project is configured, after every target is defined.
# voxlet_http names its system's transport (an interface library, in the row
# of the transports it names).
set(VOXLET_LAYERS
    "voxlet_platform"
    "voxlet_resources voxlet_http_curl voxlet_http_wininet voxlet_http voxlet_headless"
    "voxlet_audio"
    "voxlet_sdl_audio voxlet_winmm_audio voxlet_link"
    "voxlet_core"
    "voxlet_export"
    "voxlet_ui"
    "voxlet_wx voxlet_win32")

# The row of a library in VOXLET_LAYERS, or "" for one outside the table (the
# system's and GoogleTest's).
function(voxlet_layer_of library out)
  set(row 0)
  foreach(names IN LISTS VOXLET_LAYERS)
    string(REPLACE " " ";" names "${names}")
    if(library IN_LIST names)
      set(${out} ${row} PARENT_SCOPE)
      return()
    endif()
    math(EXPR row "${row} + 1")
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

# Fails the configuration when the target links a library of a row above
# limit (the target's own row for a test program, the row below its own for a
# library). skip: libraries the rule leaves out.
function(voxlet_check_links target limit what skip)
  get_target_property(links ${target} LINK_LIBRARIES)
  foreach(library IN LISTS links)
    voxlet_layer_of("${library}" row)
    if(NOT row STREQUAL "" AND row GREATER limit AND NOT library IN_LIST skip)
      message(FATAL_ERROR "${target} links ${library}, a library of a higher layer: ${what} "
                          "(the layers: cmake/Layers.cmake)")
    endif()
  endforeach()
endfunction()

# A test program links only its own library's layer and those below it, and
# the headless dialog host that every test program drives.
function(voxlet_check_test_layers target own)
  voxlet_layer_of("${own}" row)
  if(row STREQUAL "")
    message(FATAL_ERROR "${target}: its own library ${own} has no layer (cmake/Layers.cmake)")
  endif()
  voxlet_check_links(${target} ${row} "a test program links only ${own} and the layers below it"
                     voxlet_headless)
endfunction()

# Every library of the table that this build defines links only the layers below it.
function(voxlet_check_library_layers)
  foreach(names IN LISTS VOXLET_LAYERS)
    string(REPLACE " " ";" names "${names}")
    foreach(library IN LISTS names)
      if(NOT TARGET ${library})
        continue()
      endif()
      get_target_property(type ${library} TYPE)
      if(NOT type STREQUAL "INTERFACE_LIBRARY")
        voxlet_layer_of(${library} row)
        math(EXPR below "${row} - 1")
        voxlet_check_links(${library} ${below} "a library links only the layers below it" "")
      endif()
    endforeach()
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL voxlet_check_library_layers)
