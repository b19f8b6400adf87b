option(VEXILO_WERROR "Treat compiler warnings as errors" OFF)

# One set of strict warnings for every target of the project.
function(vexilo_strict_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive-)
    if(VEXILO_WERROR)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wsign-conversion -Wold-style-cast -Wnon-virtual-dtor)
    if(VEXILO_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()

# Single-precision arithmetic in SSE2 registers, as a Win32 MSVC build does:
# with x87 excess precision a value can come out one unit in the last place off.
function(vexilo_sse_math target scope)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} ${scope} -msse2 -mfpmath=sse)
  elseif(MSVC)
    target_compile_options(${target} ${scope} /arch:SSE2)
  endif()
endfunction()
