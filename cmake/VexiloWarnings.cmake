option(VEXILO_WERROR "Treat compiler warnings as errors" OFF)

# One set of strict warnings for every target of the project. Every target
# must take it: vexilo_require_strict_warnings() fails the configure step
# for one that does not.
function(vexilo_strict_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive-)
    if(VEXILO_WERROR)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wsign-conversion -Wold-style-cast -Wnon-virtual-dtor
                                             -Woverloaded-virtual -Wcast-qual -Wformat=2 -Wundef
                                             -Wdouble-promotion)
    if(VEXILO_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
  set_property(TARGET ${target} PROPERTY VEXILO_STRICT_WARNINGS ON)
endfunction()

# Headers of third-party libraries built in the tree (GoogleTest) are system
# headers: their warnings are not the project's.
function(vexilo_system_headers target)
  get_target_property(dirs ${target} INTERFACE_INCLUDE_DIRECTORIES)
  if(dirs)
    set_property(TARGET ${target} APPEND PROPERTY INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${dirs})
  endif()
endfunction()

# Fails the configure step when a target that compiles the project's sources
# was declared without vexilo_strict_warnings(). Targets of third-party
# sources added from outside the source tree (GoogleTest) are left alone.
function(vexilo_require_strict_warnings)
  set(missing)
  set(directories ${PROJECT_SOURCE_DIR})
  while(directories)
    list(POP_FRONT directories directory)
    get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
    foreach(subdirectory IN LISTS subdirectories)
      cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${subdirectory}" inside)
      if(inside)
        list(APPEND directories ${subdirectory})
      endif()
    endforeach()
    get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
      get_target_property(type ${target} TYPE)
      get_target_property(strict ${target} VEXILO_STRICT_WARNINGS)
      if(NOT type MATCHES "^(UTILITY|INTERFACE_LIBRARY)$" AND NOT strict)
        list(APPEND missing ${target})
      endif()
    endforeach()
  endwhile()
  if(missing)
    list(JOIN missing ", " missing)
    message(FATAL_ERROR "Targets without vexilo_strict_warnings(): ${missing}")
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
