# Every folder of the layout is one static library built from the sources in
# that folder; the public headers live beside the sources.
function(tarvelo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

function(tarvelo_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  tarvelo_warnings(${name})
endfunction()
