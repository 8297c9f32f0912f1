# Sanitizer and coverage switches apply to everything built in the tree,
# so that the library, the peers and the tests agree on the runtime.
if(VEXA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
if(VEXA_COVERAGE)
  add_compile_options(--coverage -O0)
  add_link_options(--coverage)
endif()

# ThreadSanitizer (clang; preset "tsan"). It cannot be combined with the
# address sanitizer above. Its runtime, linked statically, defines operator
# new itself, so only executables without the test allocation hooks link
# under it.
if(VEXA_THREAD_SANITIZER)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
