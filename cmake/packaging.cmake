# Installation and packages: a .deb for Debian made by CPack; the Windows
# files, zipped by packaging/release.sh.
include(GNUInstallDirs)
# Folders made by an install are rwxr-xr-x whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
	GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
	# The zip is unpacked by hand: the program beside a README for Windows
	# users, the licence, an example list and the start and end of a web
	# page, all with CR LF line ends, and the manual page as text.
	# packaging/release.sh zips what is installed, in the order installed,
	# and check-release.sh expects it.
	configure_file(packaging/windows/README.txt README.txt @ONLY NEWLINE_STYLE CRLF)
	configure_file(LICENSE LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
	configure_file(examples/links.txt links.txt @ONLY NEWLINE_STYLE CRLF)
	configure_file(packaging/windows/page-start.html page-start.html @ONLY NEWLINE_STYLE CRLF)
	configure_file(packaging/windows/page-end.html page-end.html @ONLY NEWLINE_STYLE CRLF)
	install(TARGETS hrefgen RUNTIME DESTINATION .)
	install(FILES ${PROJECT_BINARY_DIR}/README.txt ${PROJECT_BINARY_DIR}/LICENSE.txt
		${PROJECT_BINARY_DIR}/links.txt ${PROJECT_BINARY_DIR}/page-start.html
		${PROJECT_BINARY_DIR}/page-end.html DESTINATION .)
	include(cmake/manual-text.cmake)
	# Not CPack's zip: it keeps the builder's time zone, owner and folder
	# order, so it differs from build to build.
	return()
else()
	# The manual page and the changelog carry the version; Debian wants both
	# compressed with gzip -9n, and a machine-readable copyright file in place
	# of the licence.
	include(cmake/changelog.cmake)
	hrefgen_changelog(${PROJECT_BINARY_DIR}/changelog HREFGEN_RELEASE_DATE)
	configure_file(doc/hrefgen.1.in hrefgen.1 @ONLY)
	string(REGEX REPLACE "^Copyright (\\(c\\) )?" "" HREFGEN_COPYRIGHT_HOLDERS "${HREFGEN_COPYRIGHT}")
	file(READ LICENSE license)
	string(REGEX REPLACE "^.*\n\n(Permission)" "\\1" license "${license}")
	string(STRIP "${license}" license)
	string(REPLACE "\n\n" "\n.\n" license "${license}")
	string(REPLACE "\n" "\n " HREFGEN_LICENSE_TEXT " ${license}")
	configure_file(packaging/debian/copyright.in copyright @ONLY)
	foreach(document hrefgen.1 changelog)
		add_custom_command(OUTPUT ${document}.gz
			COMMAND gzip -9n --stdout ${document} > ${document}.gz
			DEPENDS ${PROJECT_BINARY_DIR}/${document})
	endforeach()
	add_custom_target(compressed_documents ALL DEPENDS hrefgen.1.gz changelog.gz)

	# A stripped install (cmake --install --strip, and the .deb) also drops the
	# compiler's .comment and .note sections of hrefgen in the folder $1, as
	# Debian's own packages do; the options after it are install()'s.
	function(hrefgen_install_program folder)
		install(TARGETS hrefgen RUNTIME DESTINATION ${folder} ${ARGN})
		install(CODE "if(CMAKE_INSTALL_DO_STRIP)
			execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
				\"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${folder}/hrefgen\")
		endif()" ${ARGN})
	endfunction()
	hrefgen_install_program(${CMAKE_INSTALL_BINDIR})
	install(FILES ${PROJECT_BINARY_DIR}/hrefgen.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
	install(FILES README.md ${PROJECT_BINARY_DIR}/copyright ${PROJECT_BINARY_DIR}/changelog.gz
		DESTINATION ${CMAKE_INSTALL_DOCDIR})
	# The archive for any Linux distribution, which packaging/release.sh makes
	# of an install of this component alone (of a static build): one folder
	# with the program, its manual page, the README and the licence.
	hrefgen_install_program(. COMPONENT archive EXCLUDE_FROM_ALL)
	install(FILES ${PROJECT_BINARY_DIR}/hrefgen.1 README.md LICENSE DESTINATION .
		COMPONENT archive EXCLUDE_FROM_ALL)
	set(CPACK_GENERATOR DEB)
endif()

set(CPACK_PACKAGE_NAME hrefgen)
set(CPACK_PACKAGE_VENDOR "${HREFGEN_VENDOR}")
set(CPACK_PACKAGE_CONTACT "${HREFGEN_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)

# Time stamps in the packages come from SOURCE_DATE_EPOCH, which cpack sets
# to the commit's own time when it is unset.
set(CPACK_HREFGEN_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack-project-config.cmake)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# A cross build names its architecture (see its toolchain file); a native one
# is the machine's, as dpkg says.
if(CMAKE_CROSSCOMPILING)
	set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${HREFGEN_DEBIAN_ARCHITECTURE})
endif()
# Dependencies from dpkg-shlibdeps (packages dpkg-dev and file), which a cross
# build runs on its own libraries, taking the libc6 version from the binary's
# needs (cmake/cpack-project-config.cmake); a static hrefgen needs none.
if(NOT HREFGEN_STATIC AND CMAKE_CROSSCOMPILING)
	set(CPACK_HREFGEN_CROSS_LIBRARIES ${CMAKE_FIND_ROOT_PATH}/lib)
	set(CPACK_HREFGEN_BINARY ${PROJECT_BINARY_DIR}/hrefgen)
	set(CPACK_HREFGEN_READELF ${CMAKE_READELF})
elseif(NOT HREFGEN_STATIC)
	set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "hrefgen reads a text file of links, one per line (address, spaces,
description), and writes one HTML anchor line for each.")

include(CPack)
