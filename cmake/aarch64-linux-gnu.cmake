# Cross-build hrefgen for 64-bit ARM Linux with Debian's g++-aarch64-linux-gnu,
# and run its tests under qemu-user's qemu-aarch64.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
# The binary tools too, named here and forced into the cache rather than
# guessed: a cache made before the cross tools were installed, or by hand,
# holds the host's, which cannot strip an ARM binary.
set(CMAKE_STRIP /usr/bin/aarch64-linux-gnu-strip CACHE FILEPATH "" FORCE)
set(CMAKE_OBJCOPY /usr/bin/aarch64-linux-gnu-objcopy CACHE FILEPATH "" FORCE)
set(CMAKE_OBJDUMP /usr/bin/aarch64-linux-gnu-objdump CACHE FILEPATH "" FORCE)
set(CMAKE_AR /usr/bin/aarch64-linux-gnu-ar CACHE FILEPATH "" FORCE)
set(CMAKE_RANLIB /usr/bin/aarch64-linux-gnu-ranlib CACHE FILEPATH "" FORCE)

# The cross C library, which qemu-aarch64 loads a dynamic binary with too.
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The Debian architecture of the package.
set(HREFGEN_DEBIAN_ARCHITECTURE arm64)

# Tests run under qemu-aarch64.
if(EXISTS /usr/bin/qemu-aarch64)
	set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-aarch64 -L /usr/aarch64-linux-gnu)
endif()
