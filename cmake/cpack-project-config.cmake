# Read by cpack before it makes a package.
#
# The time stamps inside the package are SOURCE_DATE_EPOCH, set here to the
# time of the commit being packaged unless the caller set it, so that a package
# is the same bytes whenever and wherever it is made.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
	execute_process(COMMAND git -C "${CPACK_HREFGEN_SOURCE_DIR}" log -1 --format=%ct
		OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
		RESULT_VARIABLE git_failed ERROR_QUIET)
	if(NOT git_failed AND commit_time MATCHES "^[0-9]+$")
		set(ENV{SOURCE_DATE_EPOCH} "${commit_time}")
	endif()
endif()

# A cross-built package's dependencies come from the cross C library's shlibs
# file, which names the library's package for its architecture (libc6:arm64):
# on the machine that installs the package that is its own architecture, so
# the qualifier is dropped.
if(CPACK_HREFGEN_CROSS_LIBRARIES)
	set(work "${CPACK_PACKAGE_DIRECTORY}/shlibdeps")
	file(MAKE_DIRECTORY "${work}/debian")
	file(TOUCH "${work}/debian/control")
	execute_process(COMMAND dpkg-shlibdeps -O "-l${CPACK_HREFGEN_CROSS_LIBRARIES}" "${CPACK_HREFGEN_BINARY}"
		WORKING_DIRECTORY "${work}" OUTPUT_VARIABLE depends ERROR_VARIABLE errors
		RESULT_VARIABLE failed OUTPUT_STRIP_TRAILING_WHITESPACE)
	if(failed OR NOT depends MATCHES "^shlibs:Depends=.")
		message(FATAL_ERROR "dpkg-shlibdeps found no dependencies for ${CPACK_HREFGEN_BINARY}: ${errors}")
	endif()
	string(REGEX REPLACE "^shlibs:Depends=" "" depends "${depends}")
	string(REPLACE ":${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}" "" CPACK_DEBIAN_PACKAGE_DEPENDS "${depends}")
endif()
