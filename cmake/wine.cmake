# The Wine program that runs this cross build's test programs, chosen per width: the
# 64-bit loader for x86-64 programs, Debian's `wine` launcher (which picks the 32-bit loader)
# for i686 ones. SPOOLHOOK_WINE overrides it, as a cache variable or, when the folder is
# first configured, from the environment (SPOOLHOOK_WINE32 or SPOOLHOOK_WINE64 by width).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(wine_width 64)
  set(wine_names wine64)
else()
  set(wine_width 32)
  set(wine_names wine)
endif()
if(DEFINED ENV{SPOOLHOOK_WINE${wine_width}} AND NOT "$ENV{SPOOLHOOK_WINE${wine_width}}" STREQUAL "")
  set(wine_default "$ENV{SPOOLHOOK_WINE${wine_width}}")
else()
  find_program(wine_found NAMES ${wine_names} PATHS /usr/lib/wine /usr/lib/x86_64-linux-gnu/wine
               NO_CACHE)
  set(wine_default "${wine_found}")
  if(NOT wine_default)
    set(wine_default wine)
  endif()
endif()
set(SPOOLHOOK_WINE "${wine_default}" CACHE STRING
    "Wine program that runs this build's ${wine_width}-bit test programs")
set(CMAKE_CROSSCOMPILING_EMULATOR "${SPOOLHOOK_WINE}")
