# Read by cpack before it makes a package: the time stamps inside the package
# are SOURCE_DATE_EPOCH, set here to the time of the commit being packaged
# unless the caller set it, so that a package is the same bytes whenever and
# wherever it is made.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
	execute_process(COMMAND git -C "${CPACK_HREFGEN_SOURCE_DIR}" log -1 --format=%ct
		OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
		RESULT_VARIABLE git_failed ERROR_QUIET)
	if(NOT git_failed AND commit_time MATCHES "^[0-9]+$")
		set(ENV{SOURCE_DATE_EPOCH} "${commit_time}")
	endif()
endif()
