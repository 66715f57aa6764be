#!/usr/bin/env bash
# Lint hrefgen's sources: clang-format, clang-tidy (.clang-tidy) and cppcheck,
# all clean, and groff on the manual page. The Windows sources are tidied with
# the cross-build's compile commands where mingw-w64 is installed.
#
# usage: tests/lint.sh
# Needs clang-format, clang-tidy, cppcheck and groff (package groff-base).
set -uo pipefail
cd "$(dirname "$0")/.." || exit

# clang-tidy, printing its findings only, not its count of warnings in system headers.
tidy() {
	clang-tidy --quiet "$@" 2>&1 | { grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' || true; }
	return "${PIPESTATUS[0]}"
}

sources=$(git ls-files --cached --others --exclude-standard '*.cpp' '*.hpp')
# cppcheck 2.11 and later limit their analysis of branches unless told not to,
# and say so in a line that fails the check: they are told.
exhaustive=
[[ $(cppcheck --help 2>/dev/null) != *--check-level* ]] || exhaustive=--check-level=exhaustive
cmake --preset ci-clang >/dev/null || exit 1
# shellcheck disable=SC2086 # the sources' names hold no spaces
clang-format --dry-run -Werror $sources &&
	tidy -p build/ci-clang src/main.cpp src/driver.cpp src/messages.cpp src/link_extractor.cpp src/output_check.cpp \
		src/stream_io_posix.cpp src/wtf8.cpp tests/pty_feed.cpp tests/wtf8_test.cpp &&
	cppcheck --enable=warning,style,performance,portability --error-exitcode=1 $exhaustive \
		--inline-suppr --std=c++20 --quiet src/ &&
	groff -ww -z -mandoc build/ci-clang/hrefgen.1 || exit 1
if command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
	include=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=include/c++/cstdio)")
	# mingw-w64 12 and later include the compiler's intrinsics, which clang
	# has of its own: its headers, not GCC's.
	builtin=$(clang++ -print-resource-dir)/include
	cmake --preset windows >/dev/null &&
		tidy -p build/windows --extra-arg=-isystem"$include" \
			--extra-arg=-isystem"$include"/x86_64-w64-mingw32 --extra-arg=-isystem"$builtin" \
			src/main_windows.cpp src/stream_io_windows.cpp tests/version_probe.cpp
fi
