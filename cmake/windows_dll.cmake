# The Windows library: named spoolhook.dll, exporting exactly the names of the module
# definition file (undecorated, also for the stdcall functions of 32-bit x86) and carrying the
# string table as a resource.
set_target_properties(spoolhook_dll PROPERTIES PREFIX "")
target_sources(spoolhook_dll PRIVATE engine/dll/spoolhook.def resources/strings.rc)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # Resolves each undecorated name of the .def to its stdcall symbol (name@bytes).
  target_link_options(spoolhook_dll PRIVATE -Wl,--enable-stdcall-fixup)
endif()
if(SPOOLHOOK_WERROR)
  target_link_options(spoolhook_dll PRIVATE -Wl,--fatal-warnings)
endif()
