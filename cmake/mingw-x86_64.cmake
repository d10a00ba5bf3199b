# Cross-compiles for 64-bit Windows: the test build on machines that cannot
# run 32-bit code.
set(CORVALLINE_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
