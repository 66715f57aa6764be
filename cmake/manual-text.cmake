# The manual page as plain text for the Windows zip, manual.txt: Windows has
# no man command, and a .txt file opens on a double-click. It is rendered from
# doc/hrefgen.1.in and CHANGELOG.md at build time, as the Linux page is
# configured, by groff: ASCII with no hyphenation, bold or underline, and
# CR LF line ends.
#
# Included (by the Windows build): renders manual.txt and installs it beside
# hrefgen.exe. Run as a script, renders the page of SOURCE_DIR into TEXT for
# version VERSION, as packaging/check-release.sh does to compare the zip's:
#   cmake -DSOURCE_DIR=. -DVERSION=VERSION -DTEXT=manual.txt [-DGROFF=groff] -P cmake/manual-text.cmake

if(NOT CMAKE_SCRIPT_MODE_FILE)
	find_program(HREFGEN_GROFF groff)
	if(NOT HREFGEN_GROFF)
		message(FATAL_ERROR "The Windows build renders the manual page with groff: apt-get install groff-base")
	endif()
	add_custom_command(OUTPUT manual.txt
		COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DVERSION=${PROJECT_VERSION}
			-DTEXT=${PROJECT_BINARY_DIR}/manual.txt -DGROFF=${HREFGEN_GROFF} -P ${CMAKE_CURRENT_LIST_FILE}
		DEPENDS ${PROJECT_SOURCE_DIR}/doc/hrefgen.1.in ${PROJECT_SOURCE_DIR}/CHANGELOG.md
			${CMAKE_CURRENT_LIST_FILE} ${CMAKE_CURRENT_LIST_DIR}/changelog.cmake
		VERBATIM)
	add_custom_target(manual_text ALL DEPENDS manual.txt)
	install(FILES ${PROJECT_BINARY_DIR}/manual.txt DESTINATION .)
	return()
endif()

cmake_minimum_required(VERSION 3.18)
if(NOT GROFF)
	set(GROFF groff)
endif()
# The page takes its version and its release date as the Linux build's does.
set(PROJECT_SOURCE_DIR ${SOURCE_DIR})
set(PROJECT_VERSION ${VERSION})
include(${CMAKE_CURRENT_LIST_DIR}/changelog.cmake)
hrefgen_changelog(${TEXT}.changelog HREFGEN_RELEASE_DATE)
configure_file(${SOURCE_DIR}/doc/hrefgen.1.in ${TEXT}.1 @ONLY)
# mdoc sets its hyphenation when it loads, so the setting that turns it off
# comes as a file read before the page, with the register W that makes it
# the page for Windows.
file(WRITE ${TEXT}.tmac ".nr doc-hyphen-flags 0\n.nr W 1\n")
execute_process(COMMAND ${GROFF} -mdoc -Tascii -P-cbou ${TEXT}.tmac ${TEXT}.1
	OUTPUT_VARIABLE text ERROR_VARIABLE errors RESULT_VARIABLE status)
file(REMOVE ${TEXT}.changelog ${TEXT}.1 ${TEXT}.tmac)
if(NOT status EQUAL 0 OR NOT errors STREQUAL "")
	message(FATAL_ERROR "groff failed on the manual page (${status}): ${errors}")
endif()
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${TEXT} "${text}")
