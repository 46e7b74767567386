# Lays out and packs the Windows zip (cmake -P):
#   -DEXES="voxlet.exe;voxlet-script.exe" -DDEMO=<demo set> -DSTAGE=<folder> -DOUT=<zip>
# Voxlet/ holds the programs, the demo voice set's files beside them (the
# current folder that double-clicking voxlet.exe gives is the data folder) and
# the demo's settings as the first Voxlet.ini, which the settings rule uses
# because it is beside the executable in a writable folder.
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
file(COPY ${DEMO}/ DESTINATION ${top} PATTERN Voxlet-demo.ini EXCLUDE)
file(COPY_FILE ${DEMO}/Voxlet-demo.ini ${top}/Voxlet.ini)
file(COPY ${EXES} DESTINATION ${top})
file(REMOVE ${OUT})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${OUT} --format=zip --mtime=2000-01-01 Voxlet
                WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "WindowsZip.cmake: packing ${OUT} failed")
endif()
