# Builds the per-user Windows installer with wixl (cmake -P):
#   -DWIXL=<wixl> -DWIXL_HEAT=<wixl-heat> -DMSIBUILD=<msibuild> -DMSIINFO=<msiinfo>
#   -DZIP_STAGE=<the zip's Voxlet folder> -DICON=<.ico>
#   -DWXS=<resources/windows/voxlet.wxs> -DVERSION=<x.y.z> -DSTAGE=<folder> -DOUT=<msi>
# From the zip's layout (the stripped programs, the demo set, the guide and
# licences as Notepad shows them) it lays out the installed one: bin\ for the
# programs, share\voxlet\demo\ for the demo set (no Voxlet.ini beside the
# programs: the installed program keeps its settings in %APPDATA%\Voxlet\).
cmake_minimum_required(VERSION 3.25)
foreach(var WIXL WIXL_HEAT MSIBUILD MSIINFO ZIP_STAGE ICON WXS VERSION STAGE OUT)
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
# wixl 0.101 leaves the database in the neutral code page, which holds ASCII
# alone: a file whose name is not ASCII goes in under a stand-in 8.3 name
# (FILEn.EXT, free in its folder) and gets its real name after wixl.
file(GLOB_RECURSE demo_files RELATIVE ${STAGE} ${STAGE}/share/voxlet/demo/*)
set(packed)
set(stand_ins)
set(real_names)
set(n 0)
foreach(file IN LISTS demo_files)
  get_filename_component(dir ${file} DIRECTORY)
  get_filename_component(name ${file} NAME)
  if(dir MATCHES "[^ -~]")
    message(FATAL_ERROR "WindowsMsi.cmake: ${dir}: only files may have names that are not ASCII")
  elseif(name MATCHES "[^ -~]")
    get_filename_component(ext ${name} LAST_EXT)
    string(TOUPPER "${ext}" ext)
    if(NOT ext MATCHES "^\\.[A-Z0-9]?[A-Z0-9]?[A-Z0-9]?$")
      set(ext "")
    endif()
    file(GLOB taken RELATIVE ${STAGE}/${dir} ${STAGE}/${dir}/*)
    string(TOLOWER "${taken}" taken)
    set(stand_in "")
    while(stand_in STREQUAL "" OR lower IN_LIST taken)
      math(EXPR n "${n} + 1")
      set(stand_in FILE${n}${ext})
      string(TOLOWER ${stand_in} lower)
    endwhile()
    file(RENAME ${STAGE}/${file} ${STAGE}/${dir}/${stand_in})
    set(file ${dir}/${stand_in})
    list(APPEND stand_ins ${stand_in})
    list(APPEND real_names ${name})
  endif()
  list(APPEND packed ${file})
endforeach()
list(SORT packed)
list(JOIN packed "\n" demo_list)
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

# The real names: the database's code page becomes 932 (Japanese, which the
# demo's names are in) and the File table is imported again with each
# stand-in's row named "STAND-IN|real name", the short and the long name.
# A failure takes the unfinished installer away.
function(fail message)
  file(REMOVE ${OUT})
  message(FATAL_ERROR "WindowsMsi.cmake: ${message}")
endfunction()
if(stand_ins)
  execute_process(COMMAND ${MSIINFO} export ${OUT} File OUTPUT_VARIABLE table RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    fail("msiinfo cannot read the File table")
  endif()
  set(named)
  foreach(stand_in real IN ZIP_LISTS stand_ins real_names)
    string(REPLACE "\t${stand_in}\t" "\t${stand_in}|${real}\t" renamed "${table}")
    if(renamed STREQUAL table)
      fail("no File row is named ${stand_in}")
    endif()
    set(table "${renamed}")
    list(APPEND named "${stand_in}|${real}")
  endforeach()
  file(MAKE_DIRECTORY ${STAGE}.idt)
  file(WRITE ${STAGE}.idt/_ForceCodepage.idt "\r\n\r\n932\t_ForceCodepage\r\n")
  file(WRITE ${STAGE}.idt/File.idt "${table}")
  execute_process(COMMAND ${MSIBUILD} ${OUT} -i _ForceCodepage.idt -i File.idt
                  WORKING_DIRECTORY ${STAGE}.idt RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    fail("msibuild failed")
  endif()
  # (a character code page 932 lacks would leave the name empty)
  execute_process(COMMAND ${MSIINFO} export ${OUT} File OUTPUT_VARIABLE table)
  foreach(name IN LISTS named)
    string(FIND "${table}" "\t${name}\t" at)
    if(at EQUAL -1)
      fail("the installer did not keep the file name ${name}")
    endif()
  endforeach()
endif()
