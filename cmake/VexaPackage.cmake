# The packages: one zip per Windows word size and one tarball for the host,
# made by CPack from what `cmake --install` lays out, with a README that says
# what each file is. scripts/package.sh builds and packs the release presets.
# An install puts the README in share/doc/vexa; a package also has it at its
# top. CPack is Vexa's own only when Vexa is the top-level project: a parent
# that vendors it keeps its own package.

if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(VEXA_PACKAGE_SYSTEM win64)
    set(VEXA_WORD_SIZE "64-bit (x86_64)")
  else()
    set(VEXA_PACKAGE_SYSTEM win32)
    set(VEXA_WORD_SIZE "32-bit (i686)")
  endif()
  set(CPACK_GENERATOR ZIP)
  if(VEXA_LLVM_DLLTOOL)
    string(CONCAT VEXA_SAFESEH_NOTE "Its members are marked\n"
      "  SafeSEH-compatible, so a 32-bit link with /SAFESEH accepts it; GNU\n"
      "  import libraries (lib/libVexa.dll.a, mingw-w64's own) are not: with\n"
      "  lld-link and those, link with /SAFESEH:NO.")
  else()
    string(CONCAT VEXA_SAFESEH_NOTE "A 32-bit link needs\n"
      "  /SAFESEH:NO: this import library, like mingw-w64's own, is not marked\n"
      "  SafeSEH-compatible.")
  endif()
  set(VEXA_README_TEMPLATE ${PROJECT_SOURCE_DIR}/packaging/README-windows.txt.in)
else()
  set(VEXA_PACKAGE_SYSTEM linux-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_GENERATOR TGZ)
  set(VEXA_README_TEMPLATE ${PROJECT_SOURCE_DIR}/packaging/README-host.txt.in)
endif()

# vexa_files_table(out path description [path description]...): the README's
# file list, the descriptions aligned two columns after the longest path
# (as the paths come out for this build); "|" in a description breaks the
# line (no ";" in a description: it separates the list).
function(vexa_files_table out)
  set(width 0)
  set(args ${ARGN})
  list(LENGTH args count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    list(GET args ${i} path)
    string(LENGTH "${path}" length)
    if(length GREATER width)
      set(width ${length})
    endif()
  endforeach()
  math(EXPR width "${width} + 2")
  string(REPEAT " " ${width} indent)
  set(table "")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET args ${i} path)
    list(GET args ${j} text)
    string(LENGTH "${path}" length)
    math(EXPR pad "${width} - ${length}")
    string(REPEAT " " ${pad} gap)
    string(REPLACE "|" "\n  ${indent}" text "${text}")
    string(APPEND table "  ${path}${gap}${text}\n")
  endforeach()
  string(REGEX REPLACE "\n$" "" table "${table}")
  set(${out} "${table}" PARENT_SCOPE)
endfunction()

# The web page (the web preset's build/web/site), when given, goes into the
# packages as site/: scripts/package.sh builds it first and names it.
set(VEXA_WEB_SITE_DIR "" CACHE PATH
    "The built web page to pack as site/ (empty: none)")
set(VEXA_SITE_FILES)
if(VEXA_WEB_SITE_DIR)
  if(NOT EXISTS ${VEXA_WEB_SITE_DIR}/index.html)
    message(FATAL_ERROR "VEXA_WEB_SITE_DIR ${VEXA_WEB_SITE_DIR} holds no "
                        "index.html (cmake --build --preset web)")
  endif()
  install(DIRECTORY ${VEXA_WEB_SITE_DIR}/ DESTINATION site)
  file(GLOB VEXA_SITE_FILES RELATIVE ${VEXA_WEB_SITE_DIR} ${VEXA_WEB_SITE_DIR}/*)
  list(SORT VEXA_SITE_FILES)
endif()
# The Windows README lists each file of it.
set(VEXA_SITE_ROWS "")
foreach(file ${VEXA_SITE_FILES})
  if(file STREQUAL "index.html")
    set(text "the web page: serve site/ from any static file server, open it")
  else()
    set(text "part of the web page")
  endif()
  string(LENGTH "site/${file}" length)
  math(EXPR pad "40 - ${length}")
  if(pad LESS 2)
    set(pad 2)
  endif()
  string(REPEAT " " ${pad} gap)
  string(APPEND VEXA_SITE_ROWS "\n  site/${file}${gap}${text}")
endforeach()

if(NOT WIN32)
  set(lib ${CMAKE_INSTALL_LIBDIR})
  set(so libvexa.so.${PROJECT_VERSION})
  set(rows
    README.txt "this file"
    ${VEXA_INSTALL_DOC_DIR}/README.txt "the same, where an install puts it"
    ${CMAKE_INSTALL_INCLUDEDIR}/vexa/vexa.h "the public C header"
    ${lib}/${so} "the library, optimised and stripped (SONAME libvexa.so.${PROJECT_VERSION_MAJOR})")
  if(VEXA_SEPARATE_DEBUG)
    list(APPEND rows ${lib}/${so}.debug "its debug information (named by its debug link)")
  endif()
  list(APPEND rows
    "${lib}/libvexa.so.${PROJECT_VERSION_MAJOR}, libvexa.so" "links to it"
    ${lib}/pkgconfig/vexa.pc "pkg-config: pkg-config --cflags --libs vexa"
    ${lib}/cmake/Vexa/ "CMake package: find_package(Vexa CONFIG), target Vexa::vexa"
    ${VEXA_INSTALL_STAND_IN_DIR}/
      "stand-ins libPC.so, libNORL.so, libNORL_MERIAK.so and the window|simulation libvexa_winsim.so, which libvexa.so finds itself")
  if(VEXA_BUILD_TOOLS)
    list(APPEND rows
      ${CMAKE_INSTALL_BINDIR}/vexa "the companion tool (vexa --help), its XML library linked in"
      ${CMAKE_INSTALL_MANDIR}/man1/vexa.1 "its manual page (man -l ${CMAKE_INSTALL_MANDIR}/man1/vexa.1)"
      ${CMAKE_INSTALL_DATADIR}/bash-completion/completions/vexa
      "its bash completion (found there with the prefix on XDG_DATA_DIRS, or source it)"
      ${CMAKE_INSTALL_DATADIR}/zsh/site-functions/_vexa
      "its zsh completion (add the folder to fpath before compinit)")
  endif()
  if(VEXA_SITE_FILES)
    list(APPEND rows site/
      "the web page: serve the folder from any static file server and open it")
  endif()
  vexa_files_table(VEXA_FILES_TABLE ${rows})
endif()

configure_file(${VEXA_README_TEMPLATE} ${PROJECT_BINARY_DIR}/README.txt @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/README.txt DESTINATION ${VEXA_INSTALL_DOC_DIR})

if(NOT PROJECT_IS_TOP_LEVEL)
  return()
endif()

# Everything the SDK installs: scripts/package.sh builds this target alone
# and packs, without building the test suites.
add_custom_target(vexa_sdk)
add_dependencies(vexa_sdk vexa ${VEXA_STAND_INS})
if(VEXA_BUILD_TOOLS)
  add_dependencies(vexa_sdk vexa_cli)
endif()

# Run by CPack alone, after the install into its staging folder.
file(WRITE ${PROJECT_BINARY_DIR}/package_readme.cmake
     "file(INSTALL \"${PROJECT_BINARY_DIR}/README.txt\"
     DESTINATION \"\${CMAKE_INSTALL_PREFIX}\")\n")
set(CPACK_INSTALL_SCRIPTS ${PROJECT_BINARY_DIR}/package_readme.cmake)

set(CPACK_PACKAGE_NAME Vexa)
set(CPACK_PACKAGE_VENDOR Vexa)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_FILE_NAME Vexa-${PROJECT_VERSION}-${VEXA_PACKAGE_SYSTEM})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# The library is stripped already (its debug information is beside it);
# the stand-ins and the tool are stripped as they are packed.
set(CPACK_STRIP_FILES ON)
include(CPack)
