# Builds the per-user Windows installer with wixl (cmake -P):
#   -DWIXL=<wixl> -DWIXL_HEAT=<wixl-heat> -DZIP_STAGE=<the zip's Voxlet folder> -DICON=<.ico>
#   -DWXS=<resources/windows/voxlet.wxs> -DVERSION=<x.y.z> -DSTAGE=<folder> -DOUT=<msi>
# From the zip's layout (the stripped programs, the demo set, the guide and
# licences as Notepad shows them) it lays out the installed one: bin\ for the
# programs, share\voxlet\demo\ for the demo set (no Voxlet.ini beside the
# programs: the installed program keeps its settings in %APPDATA%\Voxlet\).
foreach(var WIXL WIXL_HEAT ZIP_STAGE ICON WXS VERSION STAGE OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "WindowsMsi.cmake: ${var} is not set")
  endif()
endforeach()
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE}/bin ${STAGE}/share/voxlet)
file(COPY ${ZIP_STAGE}/voxlet.exe ${ZIP_STAGE}/voxlet-script.exe DESTINATION ${STAGE}/bin)
file(COPY ${ZIP_STAGE}/demo DESTINATION ${STAGE}/share/voxlet)
file(COPY ${ZIP_STAGE}/README.txt ${ZIP_STAGE}/LICENSE.txt ${ZIP_STAGE}/THIRD-PARTY-NOTICES.txt
     ${ICON} DESTINATION ${STAGE})

# The demo set's files, one component each (wixl-heat reads their names).
# wixl 0.101 stores a file name that is not ASCII as another string of the
# database (Wine installs card\ADDON\音声再生.TM4 as "400"): such files stay
# out of the installer, which says so here; the zip has them.
file(GLOB_RECURSE demo_files RELATIVE ${STAGE} ${STAGE}/share/voxlet/demo/*)
set(non_ascii ${demo_files})
list(FILTER non_ascii INCLUDE REGEX "[^ -~]")
list(FILTER demo_files EXCLUDE REGEX "[^ -~]")
foreach(file IN LISTS non_ascii)
  message(STATUS "WindowsMsi.cmake: ${file} is left out (a name wixl cannot store)")
  file(REMOVE ${STAGE}/${file})
endforeach()
list(SORT demo_files)
list(JOIN demo_files "\n" demo_list)
file(WRITE ${STAGE}.files "${demo_list}\n")
execute_process(COMMAND ${WIXL_HEAT} --var var.Demo --directory-ref DemoDir --component-group Demo
                        -p share/voxlet/demo/ --win64
                INPUT_FILE ${STAGE}.files OUTPUT_FILE ${STAGE}.demo.wxs RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "WindowsMsi.cmake: wixl-heat failed")
endif()
file(REMOVE ${OUT})
# (wixl finds sources by paths relative to the folder it runs in)
execute_process(COMMAND ${WIXL} --arch x64 -D Version=${VERSION} -D Stage=. -D Demo=share/voxlet/demo
                        -D Win64=yes -o ${OUT} ${WXS} ${STAGE}.demo.wxs
                WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "WindowsMsi.cmake: wixl failed")
endif()
