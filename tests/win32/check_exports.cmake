# Checks the export and import tables of the Windows build, as
# x86_64-w64-mingw32-objdump -p prints them:
#  - Vexa.dll exports exactly the eleven functions by name, numbered 1 to 11
#    in the alphabetical order of their names, and nothing else;
#  - Vexa.dll imports from PC.dll only number 12, by number;
#  - Vexa.dll imports the data-directory query from NORL_MERIAK.dll by
#    number 133 and the two other queries by name;
#  - PC.dll exports number 12 and no name;
#  - Vexa.dll imports from system DLLs and the stand-in peers only (the
#    compiler's runtime is linked in statically);
#  - Vexa.dll is a PE32 image on 32-bit x86 (PE32+ on x86_64) and carries a
#    version resource.
# Usage: cmake -DOBJDUMP=... -DVEXA_DLL=... -DPC_DLL=... -DWORD_SIZE=32|64
#        -P check_exports.cmake

cmake_minimum_required(VERSION 3.25)

foreach(var OBJDUMP VEXA_DLL PC_DLL WORD_SIZE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

function(dump file out)
  execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE text
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objdump failed on ${file}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The text between the line matching `begin` and the next empty line.
function(section text begin out)
  string(FIND "${text}" "${begin}" at)
  if(at EQUAL -1)
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  string(SUBSTRING "${text}" ${at} -1 rest)
  string(FIND "${rest}" "\n\n" end)
  string(SUBSTRING "${rest}" 0 ${end} rest)
  set(${out} "${rest}" PARENT_SCOPE)
endfunction()

# The lines of the import block of one DLL.
function(import_block text dll out)
  string(REGEX MATCH "DLL Name: ${dll}\n[^\n]*\n(\t[^\n]*\n)*" block "${text}")
  if(block STREQUAL "")
    message(FATAL_ERROR "no imports from ${dll}")
  endif()
  set(${out} "${block}" PARENT_SCOPE)
endfunction()

set(failures "")
# Records a failed expectation; all are reported together at the end.
macro(fail what)
  list(APPEND failures "${what}")
endmacro()

dump(${VEXA_DLL} vexa)

# Export numbers: base 1, eleven addresses, eleven names.
string(REGEX MATCH "Ordinal Base[ \t]+([0-9]+)" _ "${vexa}")
if(NOT CMAKE_MATCH_1 STREQUAL "1")
  fail("Vexa.dll: ordinal base is '${CMAKE_MATCH_1}', not 1")
endif()
string(REGEX MATCH "Export Address Table[ \t]+([0-9a-f]+)" _ "${vexa}")
if(NOT CMAKE_MATCH_1 MATCHES "^0*b$")
  fail("Vexa.dll: '${CMAKE_MATCH_1}' export addresses, not 11 (b)")
endif()

set(expected CTL_Init CTL_IsExist CTL_Switch_To_Control PTT_Get_DataPacket
    PTT_Init PTT_Parse_Raw_Protocol PTT_Set_Callback SND_Get_Volume
    SND_Set_Volume SND_Start_Play_Sound SND_Stop_Play_Sound)
section("${vexa}" "[Ordinal/Name Pointer] Table" names)
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" entries "${names}")
set(actual "")
foreach(entry ${entries})
  string(REGEX MATCH "\\[ *([0-9]+)\\] (.+)" _ "${entry}")
  math(EXPR number "${CMAKE_MATCH_1} + 1")
  list(APPEND actual "${number}=${CMAKE_MATCH_2}")
endforeach()
set(wanted "")
set(number 1)
foreach(name ${expected})
  list(APPEND wanted "${number}=${name}")
  math(EXPR number "${number} + 1")
endforeach()
if(NOT actual STREQUAL wanted)
  fail("Vexa.dll exports [${actual}], not [${wanted}]")
endif()

# Imports by number.
import_block("${vexa}" "PC.dll" pc_imports)
string(REGEX MATCHALL "\n\t[0-9a-f]+\t[^\n]*" pc_entries "${pc_imports}")
list(LENGTH pc_entries pc_count)
if(NOT pc_count EQUAL 1)
  fail("Vexa.dll imports ${pc_count} functions from PC.dll, not 1")
endif()
# objdump prints the number in hex for PE32+ and in decimal for PE32.
if(NOT pc_imports MATCHES "\t80+c\t +(0*c|12)  <none>")
  fail("Vexa.dll does not import PC.dll number 12 by number:\n${pc_imports}")
endif()

import_block("${vexa}" "NORL_MERIAK.dll" meriak_imports)
if(NOT meriak_imports MATCHES "\t80+85\t +(0*85|133)  <none>")
  fail("Vexa.dll does not import NORL_MERIAK.dll number 133 by number:\n${meriak_imports}")
endif()
foreach(name Meriak_Config_GetOneKeyGuidePlan Meriak_Config_GetOneKeyGuideFilePath)
  if(NOT meriak_imports MATCHES " ${name}\n")
    fail("Vexa.dll does not import ${name} by name")
  endif()
endforeach()
if(meriak_imports MATCHES "GetDataDirectory")
  fail("Vexa.dll imports the data-directory query by name")
endif()

# Imported DLLs: the system's and the peers', no runtime DLL of the compiler.
string(REGEX MATCHALL "DLL Name: [^\n]+" imported "${vexa}")
set(allowed ADVAPI32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL
    NORL.DLL NORL_MERIAK.DLL PC.DLL)
foreach(entry ${imported})
  string(REPLACE "DLL Name: " "" dll "${entry}")
  string(TOUPPER "${dll}" dll)
  if(NOT dll IN_LIST allowed)
    fail("Vexa.dll imports from ${dll}")
  endif()
endforeach()

# The image's word size and the version resource (resource type 16).
if(WORD_SIZE STREQUAL "32")
  set(magic "(PE32)")
else()
  set(magic "(PE32+)")
endif()
string(FIND "${vexa}" "${magic}" at)
if(at EQUAL -1)
  fail("Vexa.dll is not a ${magic} image")
endif()
# Type entries are the resource directory's first level (three spaces in).
string(REGEX MATCH "\n[0-9a-f]+   Entry: ID: 0x0*10," version "${vexa}")
if(version STREQUAL "")
  fail("Vexa.dll has no version resource")
endif()

# PC.dll: number 12 and no name.
dump(${PC_DLL} pc)
string(REGEX MATCH "Ordinal Base[ \t]+([0-9]+)" _ "${pc}")
if(NOT CMAKE_MATCH_1 STREQUAL "12")
  fail("PC.dll: ordinal base is '${CMAKE_MATCH_1}', not 12")
endif()
string(REGEX MATCH "Export Address Table[ \t]+([0-9a-f]+)" _ "${pc}")
if(NOT CMAKE_MATCH_1 MATCHES "^0*1$")
  fail("PC.dll: '${CMAKE_MATCH_1}' exports, not 1")
endif()
section("${pc}" "[Ordinal/Name Pointer] Table" pc_names)
if(pc_names MATCHES "\\[ *[0-9]+\\]")
  fail("PC.dll exports a name:\n${pc_names}")
endif()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "export table check failed:\n  ${text}")
endif()
message(STATUS "export and import tables as expected")
