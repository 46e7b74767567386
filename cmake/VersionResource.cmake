# voxlet_version_resource(TARGET DESCRIPTION): gives a Windows program its
# version information, its own description and file names beside the
# project's version, maker and licence.
function(voxlet_version_resource target description)
  set(VERSION_DESCRIPTION "${description}")
  set(VERSION_NAME "${target}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/resources/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
