# Cross-build hrefgen for 64-bit ARM Linux with Debian's g++-aarch64-linux-gnu,
# and run its tests under qemu-user's qemu-aarch64.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
include(${CMAKE_CURRENT_LIST_DIR}/cross-tools.cmake)
hrefgen_cross_tools(aarch64-linux-gnu)

# The Debian architecture of the package.
set(HREFGEN_DEBIAN_ARCHITECTURE arm64)

# Tests run under qemu-aarch64, which loads a dynamic binary with the cross C library.
if(EXISTS /usr/bin/qemu-aarch64)
	set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-aarch64 -L /usr/aarch64-linux-gnu)
endif()
