# CHANGELOG.md is the one place of each release's changes and date: the
# Debian changelog is made from it, and the manual page takes the date of
# this version's release from it.
#
# hrefgen_changelog(OUTPUT DATE_VARIABLE): write the Debian changelog of
# every release in CHANGELOG.md to OUTPUT, and set DATE_VARIABLE to this
# version's release date as the manual page writes it ("December 8, 2026").

# The day of the week of a date, as Debian's changelog writes it.
function(weekday_of year month day result)
	set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
	math(EXPR index "${month} - 1")
	list(GET offsets ${index} offset)
	if(month LESS 3)
		math(EXPR year "${year} - 1")
	endif()
	math(EXPR number "(${year} + ${year} / 4 - ${year} / 100 + ${year} / 400 + ${offset} + ${day}) % 7")
	set(names Sun Mon Tue Wed Thu Fri Sat)
	list(GET names ${number} name)
	set(${result} ${name} PARENT_SCOPE)
endfunction()

function(hrefgen_changelog output date_variable)
	set(months January February March April May June July August September October November
		December)
	file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md lines)
	set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
	set(debian "")
	set(entry "")
	set(trailer "")
	foreach(line IN LISTS lines)
		if(line MATCHES "^## ")
			# A release's section ends where the next begins.
			string(APPEND debian "${entry}${trailer}")
			set(entry "")
			set(trailer "")
		endif()
		if(line MATCHES "^## ([0-9.]+) - ([0-9]+)-([0-9]+)-([0-9]+)$")
			set(version ${CMAKE_MATCH_1})
			set(year ${CMAKE_MATCH_2})
			set(day_digits ${CMAKE_MATCH_4})
			math(EXPR month "1${CMAKE_MATCH_3} - 100")
			math(EXPR day "1${CMAKE_MATCH_4} - 100")
			math(EXPR index "${month} - 1")
			list(GET months ${index} month_name)
			if(version STREQUAL PROJECT_VERSION)
				set(${date_variable} "${month_name} ${day}, ${year}" PARENT_SCOPE)
				set(found TRUE)
			endif()
			weekday_of(${year} ${month} ${day} weekday)
			string(SUBSTRING ${month_name} 0 3 month_short)
			set(entry "hrefgen (${version}) unstable; urgency=medium\n\n")
			set(trailer "\n -- ${HREFGEN_CONTACT}  ${weekday}, ${day_digits} ${month_short} ${year} 00:00:00 +0000\n\n")
		elseif(entry AND line MATCHES "^(  )?- (.*)$")
			# Items, and items within them.
			if(CMAKE_MATCH_1)
				string(APPEND entry "    - ${CMAKE_MATCH_2}\n")
			else()
				string(APPEND entry "  * ${CMAKE_MATCH_2}\n")
			endif()
		elseif(entry AND line MATCHES "^ +")
			string(APPEND entry "  ${line}\n")
		endif()
	endforeach()
	string(APPEND debian "${entry}${trailer}")
	if(NOT found)
		message(FATAL_ERROR "CHANGELOG.md has no section '## ${PROJECT_VERSION} - YYYY-MM-DD' for this version")
	endif()
	string(STRIP "${debian}" debian)
	# Written only when it changes; nothing in it is taken for a variable.
	file(CONFIGURE OUTPUT ${output} CONTENT "@debian@\n" @ONLY)
endfunction()
