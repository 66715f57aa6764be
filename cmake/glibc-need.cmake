# The least glibc release that a binary runs on, derived here alone: for the
# libc6 version of a cross-built package (cmake/cpack-project-config.cmake),
# and for the release check that compares each package with its binary
# (packaging/check-release.sh).
#
# It is the highest GLIBC_x.y version node that the binary requires of the C
# library's libraries (the version needs that readelf -V shows, for any
# architecture), each node being the glibc release that brought it;
# GLIBC_ABI_DT_RELR, needed by a binary linked with packed relative
# relocations, came with glibc 2.36. Debian's symbols file raises sysconf to
# 2.34 whatever its node, which changes nothing here: since glibc 2.34 every
# binary needs __libc_start_main@GLIBC_2.34.
#
# usage: include(), then hrefgen_glibc_need(BINARY READELF VARIABLE)
#        cmake -DBINARY=FILE [-DREADELF=PROGRAM] -P cmake/glibc-need.cmake   prints it

function(hrefgen_glibc_need binary readelf variable)
	execute_process(COMMAND "${readelf}" -V -W "${binary}"
		OUTPUT_VARIABLE headers RESULT_VARIABLE failed ERROR_VARIABLE errors)
	if(failed)
		message(FATAL_ERROR "${readelf} -V ${binary} failed: ${errors}")
	endif()
	string(REGEX MATCHALL "Name: GLIBC_[A-Za-z0-9_.]+" nodes "${headers}")
	set(glibc "")
	foreach(node IN LISTS nodes)
		string(REPLACE "Name: " "" node "${node}")
		if(node MATCHES "^GLIBC_([0-9]+(\\.[0-9]+)+)$")
			set(version "${CMAKE_MATCH_1}")
		elseif(node STREQUAL "GLIBC_ABI_DT_RELR")
			set(version 2.36)
		else()
			message(FATAL_ERROR "${binary} needs the C library's ${node}, "
				"whose glibc release is not known here: add it to ${CMAKE_CURRENT_FUNCTION_LIST_FILE}")
		endif()
		if(version VERSION_GREATER glibc)
			set(glibc "${version}")
		endif()
	endforeach()
	if(glibc STREQUAL "")
		message(FATAL_ERROR "${binary} needs no GLIBC_ version node: is it dynamic?")
	endif()
	set(${variable} "${glibc}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
	if(NOT READELF)
		set(READELF readelf)
	endif()
	hrefgen_glibc_need("${BINARY}" "${READELF}" need)
	execute_process(COMMAND "${CMAKE_COMMAND}" -E echo "${need}")
endif()
