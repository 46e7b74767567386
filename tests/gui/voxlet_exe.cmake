# The Windows program's smoke test: the zip's voxlet.exe under Xvfb + Wine
# (tests/gui/voxlet_exe_smoke.sh), in the Windows build's private prefix.
add_test(NAME gui.voxlet_exe
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/run_with_xvfb.sh
                 ${CMAKE_CURRENT_LIST_DIR}/voxlet_exe_smoke.sh ${CMAKE_BINARY_DIR}/Voxlet-win64.zip
                 ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh ${CMAKE_BINARY_DIR}/wine
                 ${CMAKE_BINARY_DIR}/artifacts/voxlet_exe.png)
set_tests_properties(gui.voxlet_exe PROPERTIES TIMEOUT 180 RESOURCE_LOCK x_server)
