# The packages: one zip per Windows word size and one tarball for the host,
# made by CPack from what `cmake --install` lays out, with a README that says
# what each file is. scripts/package.sh builds and packs the release presets.

if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(VEXA_PACKAGE_SYSTEM win64)
    set(VEXA_WORD_SIZE "64-bit (x86_64)")
  else()
    set(VEXA_PACKAGE_SYSTEM win32)
    set(VEXA_WORD_SIZE "32-bit (i686)")
  endif()
  set(CPACK_GENERATOR ZIP)
  set(VEXA_README_TEMPLATE ${PROJECT_SOURCE_DIR}/packaging/README-windows.txt.in)
else()
  set(VEXA_PACKAGE_SYSTEM linux-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_GENERATOR TGZ)
  set(VEXA_README_TEMPLATE ${PROJECT_SOURCE_DIR}/packaging/README-host.txt.in)
endif()

# Everything the SDK installs: scripts/package.sh builds this target alone
# (installing does not build the test suites first).
add_custom_target(vexa_sdk)
add_dependencies(vexa_sdk vexa ${VEXA_STAND_INS})
if(VEXA_BUILD_TOOLS)
  add_dependencies(vexa_sdk vexa_cli)
  if(TARGET vexa_man)  # the host's man page
    add_dependencies(vexa_sdk vexa_man)
  endif()
endif()

configure_file(${VEXA_README_TEMPLATE} ${PROJECT_BINARY_DIR}/README.txt @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/README.txt DESTINATION .)

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
