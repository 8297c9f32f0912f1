# Helpers for the library's own targets.

# vexa_library_code(target): the flags of the library's own code. It is
# built without exceptions: nothing in it throws, so none can cross an
# export, and the shared library does not carry the C++ runtime's unwinding
# machinery. The tests and the tool that link it keep exceptions.
# Function-local statics are constructed without the runtime's guard: the
# first call into a family must not race another call into it anyway (the
# module mutex is itself such a static), and the guard would bring the
# runtime's thread library and exception throwing into the DLL. With
# VEXA_SEPARATE_DEBUG it carries debug information for the separate file.
function(vexa_library_code target)
  target_compile_options(${target} PRIVATE -fno-exceptions
                         $<$<COMPILE_LANGUAGE:CXX>:-fno-threadsafe-statics>
                         $<$<BOOL:${VEXA_SEPARATE_DEBUG}>:-g>)
  vexa_shipped_code(${target})
endfunction()

# vexa_shipped_code(target): code that the SDK ships (the library and the
# stand-ins). Its debug information names source files relative to the
# source tree (src/destination/ptt_exports.cc, compiled in "."), not the
# build machine's folders, so a debugger reads a crash anywhere, given the
# source tree (gdb: `directory <tree>`). The source folder is mapped first:
# the last map given that matches wins, so the build folder inside the tree
# becomes ".".
function(vexa_shipped_code target)
  target_compile_options(${target} PRIVATE
    -fdebug-prefix-map=${PROJECT_SOURCE_DIR}/=
    -fdebug-prefix-map=${PROJECT_BINARY_DIR}=.)
  vexa_warnings(${target})
endfunction()

# vexa_library_headers(target): the library's own code sees the whole of
# src/; whoever links it sees only the public include/ (the tool and the
# web module add src/tool_interface/, the suites src/ as a whole).
function(vexa_library_headers target)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src
                             PUBLIC ${PROJECT_SOURCE_DIR}/include)
endfunction()

# vexa_module(name source...): one static library of the library's code (a
# module, the frame or the platform layer).
function(vexa_module name)
  add_library(${name} STATIC ${ARGN})
  vexa_library_code(${name})
  vexa_library_headers(${name})
endfunction()

# vexa_objects(name source...): library code linked as object files rather
# than as archive members: the loader glue, which nothing calls by name (an
# archive member that only the loader reaches would be left out), and the
# entry point. Each is compiled once, for the shared library and for the
# suites that link it.
function(vexa_objects name)
  add_library(${name} OBJECT ${ARGN})
  vexa_library_code(${name})
  vexa_library_headers(${name})
endfunction()

# vexa_separate_debug(target): with VEXA_SEPARATE_DEBUG, strips the built
# binary and keeps its debug information in <file>.debug beside it, joined
# by a debug link (a debugger beside both finds the symbols; a crash report
# from a device can still be read).
function(vexa_separate_debug target)
  if(NOT VEXA_SEPARATE_DEBUG)
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:${target}>
            $<TARGET_FILE_NAME:${target}>.debug
    COMMAND ${CMAKE_STRIP} --strip-all $<TARGET_FILE_NAME:${target}>
    COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug
            $<TARGET_FILE_NAME:${target}>
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    COMMENT "Stripping $<TARGET_FILE_NAME:${target}>, debug information beside it"
    VERBATIM)
endfunction()

# vexa_install_rpath(out from to): the run path with which a program
# installed in folder <from> finds libraries in folder <to>: $ORIGIN and the
# relative way when both are relative to the prefix (the install can move),
# else <to> as an absolute folder.
function(vexa_install_rpath out from to)
  if(IS_ABSOLUTE "${from}" OR IS_ABSOLUTE "${to}")
    set(path "${to}")
    if(NOT IS_ABSOLUTE "${to}")
      set(path "${CMAKE_INSTALL_PREFIX}/${to}")
    endif()
  else()
    file(RELATIVE_PATH path /prefix/${from} /prefix/${to})
    set(path "$ORIGIN/${path}")
  endif()
  set(${out} "${path}" PARENT_SCOPE)
endfunction()
