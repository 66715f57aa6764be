# Included by the toolchain files of the cross builds: the binary tools of the
# Debian cross toolchain for the GNU triplet TRIPLET, named here and forced
# into the cache rather than guessed (a cache made before the cross tools were
# installed, or by hand, holds the host's, which cannot strip a foreign binary
# or stamp no time into it), and its libraries and headers searched for under
# /usr/TRIPLET only.
macro(hrefgen_cross_tools triplet)
	foreach(tool AR OBJCOPY OBJDUMP RANLIB STRIP)
		string(TOLOWER ${tool} name)
		set(CMAKE_${tool} /usr/bin/${triplet}-${name} CACHE FILEPATH "" FORCE)
	endforeach()
	set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
	set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
	set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
	set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
endmacro()
