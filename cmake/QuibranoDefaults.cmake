# Per-target settings shared by every library, program and test:
# standard, warnings as errors, and the sanitizers of the test build.
function(quibrano_defaults target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  if(QUIBRANO_SANITIZE)
    # -O1 keeps stack traces readable and makes the simulated-week tests fast.
    target_compile_options(${target} PRIVATE -O1 -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(QUIBRANO_FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# Qt targets also run moc.
function(quibrano_qt_defaults target)
  quibrano_defaults(${target})
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
endfunction()
