# 64-bit x86 Windows.
set(mingw_arch x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
