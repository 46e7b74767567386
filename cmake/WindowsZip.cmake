# Lays out and packs the Windows zip (cmake -P):
#   -DEXES="voxlet.exe;voxlet-script.exe" -DDEMO=<demo set> -DTOUR=<tour set>
#   -DSOURCE=<source tree> -DSTAGE=<folder> -DOUT=<zip>
# Voxlet/ holds the programs (stripped); demo/, the demo voice set whole, as
# the Linux install has it in share/voxlet/demo/ (the programs find it beside
# themselves, enter it when no data folder is found and write nothing into
# it); Voxlet.ini, the demo's first settings, which the settings rule keeps
# beside the programs while their folder is writable (a portable copy) and
# copies to %APPDATA%\Voxlet\ where it is not; tour/, the tour's voice set
# with its script (script.txt) for voxlet-script.exe; and, as Notepad shows
# them (CR LF, the guide with a UTF-8 byte-order mark), the guide README.txt,
# LICENSE.txt and THIRD-PARTY-NOTICES.txt. Entries carry the time of the
# source tree's last commit.
foreach(var EXES DEMO TOUR SOURCE STAGE OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "WindowsZip.cmake: ${var} is not set")
  endif()
endforeach()
if(NOT EXISTS ${DEMO}/Voxlet-demo.ini)
  message(FATAL_ERROR "WindowsZip.cmake: no demo voice set in ${DEMO} (build the Linux one first)")
endif()

# windows_text(FROM TO [BOM]): the text with CR LF line ends (and a UTF-8 BOM).
function(windows_text from to)
  file(READ ${from} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  if(ARGN STREQUAL "BOM")
    string(ASCII 239 187 191 bom) # U+FEFF in UTF-8
    string(PREPEND text "${bom}")
  endif()
  file(WRITE ${to} "${text}")
endfunction()

set(top ${STAGE}/Voxlet)
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${top})
file(COPY ${DEMO}/ DESTINATION ${top}/demo)
file(COPY_FILE ${DEMO}/Voxlet-demo.ini ${top}/Voxlet.ini)
file(COPY ${EXES} DESTINATION ${top})
file(COPY ${TOUR}/ DESTINATION ${top}/tour)
windows_text(${SOURCE}/resources/tour/script ${top}/tour/script.txt)
windows_text(${SOURCE}/resources/windows/README.txt ${top}/README.txt BOM)
windows_text(${SOURCE}/LICENSE ${top}/LICENSE.txt)
windows_text(${SOURCE}/resources/windows/THIRD-PARTY-NOTICES.txt ${top}/THIRD-PARTY-NOTICES.txt)

# The last commit's time; a tree outside git keeps a fixed one.
set(mtime "2000-01-01 00:00:00 UTC")
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC git -C ${SOURCE} log -1 --format=%cd
                        "--date=format-local:%Y-%m-%d %H:%M:%S"
                OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc ERROR_QUIET)
if(rc EQUAL 0 AND commit_time)
  set(mtime "${commit_time} UTC")
endif()
file(REMOVE ${OUT})
# (zip times are local times: those of UTC)
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${CMAKE_COMMAND} -E tar cf ${OUT} --format=zip
                        "--mtime=${mtime}" Voxlet
                WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "WindowsZip.cmake: packing ${OUT} failed")
endif()
