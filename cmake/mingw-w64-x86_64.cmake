# Cross-build hrefgen.exe for 64-bit Windows with Debian's mingw-w64 (posix threads)
# and run its tests under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER /usr/bin/x86_64-w64-mingw32-windres CACHE FILEPATH "" FORCE)
# The binary tools too: the host's strip would stamp the time into hrefgen.exe.
include(${CMAKE_CURRENT_LIST_DIR}/cross-tools.cmake)
hrefgen_cross_tools(x86_64-w64-mingw32)

# Tests run under Wine, with the settings of tests/wine.sh.
if(EXISTS /usr/lib/wine/wine64)
	set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine.sh)
endif()
