# Cross-build for 32-bit Windows (the shipping module) with MinGW-w64, posix
# thread model. The runtime is linked statically so the DLLs and programs need
# nothing beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUILLAN_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
