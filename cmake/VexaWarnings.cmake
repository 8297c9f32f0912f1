# vexa_warnings(target): the warning set for the project's own code.
# Third-party code (GoogleTest, benchmark) never gets these flags.
function(vexa_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
