# Warnings are faults: every Korvane target gets these through korvane_set_warnings().
function(korvane_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(KORVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
    # GCC 12 reports overlaps that cannot happen in inlined string concatenation
    # (-Wrestrict, GCC bug 105329, fixed in GCC 13), more of them the more it inlines: shown,
    # but no reason to stop a build.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
      target_compile_options(${target} PRIVATE -Wno-error=restrict)
    endif()
    # The sanitizers' checks hide from GCC's flow analysis that a pointer to member passed
    # through a lambda is set: -Wmaybe-uninitialized then fires on correct code (seen in
    # publish/proj_org.cpp). Shown in that build, but no reason to stop it.
    if(KORVANE_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      target_compile_options(${target} PRIVATE -Wno-error=maybe-uninitialized)
    endif()
  endif()
  # Every target passes through here, so the sanitizer build's executables get their
  # allowance for a finding inside Qt WebEngine here too. It replaces a sized delete, which
  # works against GCC's shared sanitizer runtime (clang links its runtime in statically).
  get_target_property(type ${target} TYPE)
  if(KORVANE_SANITIZE AND KORVANE_BUILD_GUI AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU"
     AND type STREQUAL "EXECUTABLE")
    target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/src/platform/sanitizer_allowances.cpp)
    target_link_libraries(${target} PRIVATE ${CMAKE_DL_LIBS})
  endif()
endfunction()

if(KORVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
