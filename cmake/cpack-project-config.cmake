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

# A cross-built package's dependencies come from dpkg-shlibdeps run on the
# cross libraries, whose shlibs files name each library's package for its
# architecture (libc6:arm64): on the machine that installs the package that
# is its own architecture, so the qualifier is dropped.
#
# The cross C library ships no symbols file, only a shlibs file that asks for
# the version it was built from (libc6 (>= 2.36) on Debian 12), which is more
# than the binary needs and refuses older systems that would run it. So the
# libc6 version is the binary's own need, as a symbols file would give it
# (cmake/glibc-need.cmake).
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
	string(REPLACE ":${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}" "" depends "${depends}")

	include("${CPACK_HREFGEN_SOURCE_DIR}/cmake/glibc-need.cmake")
	hrefgen_glibc_need("${CPACK_HREFGEN_BINARY}" "${CPACK_HREFGEN_READELF}" glibc)
	# The versioned libc6 that the shlibs file gave takes the binary's version.
	string(REPLACE ", " ";" depends "${depends}")
	set(versioned_libc6 "^libc6 \\(>= [^)]+\\)$")
	set(found ${depends})
	list(FILTER found INCLUDE REGEX "${versioned_libc6}")
	list(LENGTH found count)
	if(NOT count EQUAL 1)
		message(FATAL_ERROR "no single versioned libc6 among the dependencies of ${CPACK_HREFGEN_BINARY}: ${depends}")
	endif()
	list(TRANSFORM depends REPLACE "${versioned_libc6}" "libc6 (>= ${glibc})")
	list(JOIN depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
endif()
