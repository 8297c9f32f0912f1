# The Windows CE package: one zip for integrators with the DLL, its debug
# file, its import library, the header, the export table and a README on
# loading it.

install(FILES ${PROJECT_BINARY_DIR}/bin/Vexa.dll ${PROJECT_BINARY_DIR}/bin/Vexa.dll.debug
        DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/include/vexa/vexa.h DESTINATION include/vexa)
install(FILES ${PROJECT_SOURCE_DIR}/src/vexa.def ${PROJECT_BINARY_DIR}/lib/Vexa.lib
        DESTINATION lib)
configure_file(${PROJECT_SOURCE_DIR}/packaging/README-wince.txt.in
               ${PROJECT_BINARY_DIR}/README.txt @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Vexa)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME wince-arm)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
include(CPack)
