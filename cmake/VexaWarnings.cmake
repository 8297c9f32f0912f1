# vexa_warnings(target): the warning set for the project's own code, errors
# with VEXA_WARNINGS_AS_ERRORS (the presets and CI; a plain configure, such
# as a source build of a release with a newer compiler, only warns).
# Third-party code (GoogleTest, benchmark) never gets these flags.
function(vexa_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra
                         $<$<BOOL:${VEXA_WARNINGS_AS_ERRORS}>:-Werror>)
endfunction()
