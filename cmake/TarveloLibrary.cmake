# Every folder of the layout is one static library built from the sources in
# that folder; the public headers live beside the sources.
# Warnings are errors only where we choose (CI and the test command): a new
# compiler's false warning must not break a user's build.
option(TARVELO_WERROR "Treat compiler warnings as errors" OFF)

# GCC 12 at -O2/-O3 reports overlapping or overflowing copies inside
# std::string and std::vector that cannot happen (GCC bugs 105651, 106199);
# clang and later GCC releases keep these checks.
set(tarvelo_false_warnings
  $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict;-Wno-stringop-overflow>)

function(tarvelo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra ${tarvelo_false_warnings}
    $<$<BOOL:${TARVELO_WERROR}>:-Werror>)
endfunction()

function(tarvelo_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  tarvelo_warnings(${name})
endfunction()
