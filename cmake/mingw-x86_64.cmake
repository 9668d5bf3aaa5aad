# Cross-build for 64-bit Windows with MinGW-w64, posix thread model. The same
# sources as the 32-bit module; its programs run under 64-bit Wine, so this is
# the tree whose tests are run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUILLAN_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
