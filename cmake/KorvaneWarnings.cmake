# Warnings are faults: every Korvane target gets these through korvane_set_warnings().
function(korvane_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(KORVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

if(KORVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
