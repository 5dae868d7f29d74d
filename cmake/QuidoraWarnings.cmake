# Warnings are errors in our own code; third-party headers come in as SYSTEM.
function(quidora_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
    -Wnon-virtual-dtor -Woverloaded-virtual -Werror)
  # GCC 12 reports inlined std::basic_string copies at -O3 as overlapping memcpy
  # (-Wrestrict false positives); keep the warning visible but not fatal.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-error=restrict)
  endif()
endfunction()
