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
# libc6 version is the binary's own need, as a symbols file would give it: the
# highest GLIBC_x.y version node that it requires of the C library's libraries
# (the Version References that objdump -p shows), each node being the glibc
# release that brought it; GLIBC_ABI_DT_RELR, needed by a binary linked with
# packed relative relocations, came with glibc 2.36. Debian's symbols file
# raises sysconf to 2.34 whatever its node, which changes nothing here: since
# glibc 2.34 every binary needs __libc_start_main@GLIBC_2.34.
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

	execute_process(COMMAND "${CPACK_HREFGEN_OBJDUMP}" -p "${CPACK_HREFGEN_BINARY}"
		OUTPUT_VARIABLE headers RESULT_VARIABLE failed ERROR_VARIABLE errors)
	if(failed)
		message(FATAL_ERROR "${CPACK_HREFGEN_OBJDUMP} -p ${CPACK_HREFGEN_BINARY} failed: ${errors}")
	endif()
	string(FIND "${headers}" "Version References:" references)
	set(nodes "")
	if(references GREATER_EQUAL 0)
		string(SUBSTRING "${headers}" ${references} -1 references)
		string(REGEX MATCHALL "[ \t]GLIBC_[A-Za-z0-9_.]+" nodes "${references}")
	endif()
	set(glibc "")
	foreach(node IN LISTS nodes)
		string(STRIP "${node}" node)
		if(node MATCHES "^GLIBC_([0-9]+(\\.[0-9]+)+)$")
			set(version "${CMAKE_MATCH_1}")
		elseif(node STREQUAL "GLIBC_ABI_DT_RELR")
			set(version 2.36)
		else()
			message(FATAL_ERROR "${CPACK_HREFGEN_BINARY} needs the C library's ${node}, "
				"whose glibc release is not known here: add it to ${CMAKE_CURRENT_LIST_FILE}")
		endif()
		if(version VERSION_GREATER glibc)
			set(glibc "${version}")
		endif()
	endforeach()
	if(glibc STREQUAL "")
		message(FATAL_ERROR "${CPACK_HREFGEN_BINARY} needs no GLIBC_ version node: is it dynamic?")
	endif()
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
