# The tool and the web module see the library only through include/vexa/
# and the internal interface made for them (src/tool_interface/): no file
# under tools/ or web/ includes another header of src/, least of all one of
# src/platform/.
# Run as: cmake -DSOURCE_DIR=<tree> -P check_includes.cmake
file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/tools/*.h ${SOURCE_DIR}/tools/*.cc
     ${SOURCE_DIR}/web/*.h ${SOURCE_DIR}/web/*.cc)
set(faults "")
foreach(file IN LISTS files)
  get_filename_component(folder ${file} DIRECTORY)
  file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE ".*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
    if(header MATCHES "^tool_interface/")
      continue()
    endif()
    # The tool's own headers are named from tools/vexa (or its folder).
    if(EXISTS ${SOURCE_DIR}/tools/vexa/${header} OR
       EXISTS ${SOURCE_DIR}/${folder}/${header})
      continue()
    endif()
    if(header MATCHES "^platform/" OR EXISTS ${SOURCE_DIR}/src/${header})
      string(APPEND faults "  ${file}: #include \"${header}\"\n")
    endif()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "The tool or the web module includes library headers outside "
          "src/tool_interface/:\n${faults}")
endif()
