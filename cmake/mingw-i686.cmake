# Cross-compiles the product for 32-bit Windows.
set(CORVALLINE_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
