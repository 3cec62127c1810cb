# One INTERFACE target carries the language standard and the warnings for every target.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
  set(CMAKE_C_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
endif()

add_library(sorvane_options INTERFACE)
target_compile_features(sorvane_options INTERFACE cxx_std_20)
target_compile_options(sorvane_options INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(sorvane_options INTERFACE QT_NO_CONTEXTLESS_CONNECT)
