# 32-bit x86 Windows.
set(mingw_arch i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
