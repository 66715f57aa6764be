# Installation and packages: a .deb for Debian, a .zip for Windows.
include(GNUInstallDirs)

if(WIN32)
	# The zip is unpacked by hand: the program beside a README for Windows
	# users, the licence and an example list, all with CR LF line ends.
	configure_file(packaging/windows/README.txt README.txt @ONLY NEWLINE_STYLE CRLF)
	configure_file(LICENSE LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
	configure_file(examples/links.txt links.txt @ONLY NEWLINE_STYLE CRLF)
	install(TARGETS hrefgen RUNTIME DESTINATION .)
	install(FILES ${PROJECT_BINARY_DIR}/README.txt ${PROJECT_BINARY_DIR}/LICENSE.txt
		${PROJECT_BINARY_DIR}/links.txt DESTINATION .)
	set(CPACK_GENERATOR ZIP)
	set(CPACK_SYSTEM_NAME win64)
	set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
	install(TARGETS hrefgen RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
	install(FILES doc/hrefgen.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
	install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
	set(CPACK_GENERATOR DEB)
endif()

set(CPACK_PACKAGE_NAME hrefgen)
set(CPACK_PACKAGE_VENDOR "The hrefgen developers")
set(CPACK_PACKAGE_CONTACT "The hrefgen developers <hrefgen@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# A static hrefgen needs no libraries; a dynamic one gets its dependencies
# from dpkg-shlibdeps (packages file and dpkg-dev).
if(NOT HREFGEN_STATIC)
	set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "hrefgen reads a text file of links, one per line (address, spaces,
description), and writes one HTML anchor line for each.")

include(CPack)
