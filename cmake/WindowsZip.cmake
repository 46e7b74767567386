# Lays out and packs the Windows zip (cmake -P):
#   -DEXES="voxlet.exe;voxlet-script.exe" -DDEMO=<demo set> -DSTAGE=<folder> -DOUT=<zip>
# Voxlet/ holds the programs; demo/, the demo voice set whole, as the Linux
# install has it in share/voxlet/demo/ (the programs find it beside
# themselves, enter it when no data folder is found and write nothing into
# it); and Voxlet.ini, the demo's first settings, which the settings rule
# keeps beside the programs while their folder is writable (a portable copy)
# and copies to %APPDATA%\Voxlet\ where it is not.
foreach(var EXES DEMO STAGE OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "WindowsZip.cmake: ${var} is not set")
  endif()
endforeach()
if(NOT EXISTS ${DEMO}/Voxlet-demo.ini)
  message(FATAL_ERROR "WindowsZip.cmake: no demo voice set in ${DEMO} (build the Linux one first)")
endif()
set(top ${STAGE}/Voxlet)
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${top})
file(COPY ${DEMO}/ DESTINATION ${top}/demo)
file(COPY_FILE ${DEMO}/Voxlet-demo.ini ${top}/Voxlet.ini)
file(COPY ${EXES} DESTINATION ${top})
file(REMOVE ${OUT})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${OUT} --format=zip --mtime=2000-01-01 Voxlet
                WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "WindowsZip.cmake: packing ${OUT} failed")
endif()
