#!/usr/bin/env bash
# Lint hrefgen's sources: shellcheck on every shell script, clang-format,
# clang-tidy (.clang-tidy) and cppcheck, all clean, and groff on the manual
# page. Each runs even when one before it failed, so that one run shows every
# finding.
#
# The shell scripts are the *.sh files that git knows of (untracked ones
# included) and the files that start with a shell's #! line, such as those
# in .ci/; the case runner is checked with its topic files. clang-tidy checks every file that the native build (ci-clang), the
# fuzz targets' build (fuzz) and the benchmark's (benchmark) compile, read
# from their compile commands, and every file of the Windows cross-build
# where mingw-w64 is installed; there, and with Wine, a .cpp file that none
# of these builds compiles fails the check.
#
# usage: tests/lint.sh
# Needs shellcheck, clang-format, clang-tidy, cppcheck, groff (package
# groff-base) and Google Benchmark (libbenchmark-dev), for the benchmark build.
set -uo pipefail
cd "$(dirname "$0")/.." || exit
failed=()

# Note that the linter $1 found something, and go on.
fail() {
	[[ " ${failed[*]} " == *" $1 "* ]] || failed+=("$1")
}

# step NAME COMMAND...: run the linter NAME as COMMAND.
step() {
	"${@:2}" || fail "$1"
}

# clang-tidy, printing its findings only, not its count of warnings in system
# headers nor (clang-tidy 18 and later) its progress through the files.
tidy() {
	clang-tidy --quiet "$@" 2>&1 |
		{ grep -v -E '^([0-9]+ warnings? (and [0-9]+ errors? )?generated\.|\[[0-9]+/[0-9]+\] Processing file .*)$' || true; }
	return "${PIPESTATUS[0]}"
}

# tidy_build PRESET [ARG...]: configure the preset PRESET and run clang-tidy,
# with the ARGs, over the files that its build compiles (build/PRESET's
# compile commands), less those already tidied for this platform (the keys of
# seen). Each file it tidies joins seen and tidied.
tidy_build() {
	local preset=$1 file files=()
	shift
	cmake --preset "$preset" >/dev/null || return 1
	while read -r file; do
		file=${file#"$PWD"/}
		[ -n "${seen[$file]:-}" ] || files+=("$file")
		seen[$file]=1 tidied[$file]=1
	done < <(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "build/$preset/compile_commands.json" | sort -u)
	echo "--- clang-tidy, $preset build: ${files[*]:-(all tidied already)}"
	# A file at a time, on every core.
	[ ${#files[@]} = 0 ] || printf '%s\n' "${files[@]}" |
		xargs -P "$(nproc)" -I '{}' bash -c 'tidy "$@"' tidy -p "build/$preset" "$@" '{}'
}
export -f tidy

# Every shell script, by its name or its #! line.
scripts=()
shell_line='^#!.*[/ ](ba|da|k)?sh([[:space:]]|$)'
while IFS= read -r -d '' file; do
	[ -f "$file" ] || continue
	first=
	IFS= read -r first <"$file"
	[[ $file != tests/cases.sh && $file != tests/cases/* ]] || continue
	if [[ $file == *.sh || $first =~ $shell_line ]]; then scripts+=("$file"); fi
done < <(git ls-files -z --cached --others --exclude-standard)
echo "--- shellcheck: ${#scripts[@]} scripts, and the cases"
step shellcheck shellcheck --format=gcc "${scripts[@]}"
# The case runner with its topic files, which use its fixtures and messages
# and which it sources: one script, to shellcheck.
step shellcheck bash -c 'cat tests/cases.sh tests/cases/*.sh | shellcheck --format=gcc --shell=bash -'


mapfile -t sources < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.hpp')
step clang-format clang-format --dry-run -Werror "${sources[@]}"

declare -A seen=() tidied=()
step clang-tidy tidy_build ci-clang
# The terminal helper is built with the host's compiler alone, by a command of its own.
echo "--- clang-tidy, the terminal helper: tests/pty_feed.cpp"
step clang-tidy tidy tests/pty_feed.cpp -- -std=c++20
tidied[tests/pty_feed.cpp]=1
step clang-tidy tidy_build fuzz
step clang-tidy tidy_build benchmark
if command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
	include=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=include/c++/cstdio)")
	# mingw-w64 12 and later include the compiler's intrinsics, which clang
	# has of its own: its headers, not GCC's.
	builtin=$(clang++ -print-resource-dir)/include
	# Every file again: for Windows the shared ones compile otherwise.
	seen=()
	step clang-tidy tidy_build windows --extra-arg=-isystem"$include" \
		--extra-arg=-isystem"$include"/x86_64-w64-mingw32 --extra-arg=-isystem"$builtin"
	# The Windows build makes its test helpers only where Wine runs them
	# (cmake/mingw-w64-x86_64.cmake): only then has every build its every file.
	untidied=()
	for file in "${sources[@]}"; do
		[[ $file != *.cpp || -n ${tidied[$file]:-} ]] || untidied+=("$file")
	done
	if [ ${#untidied[@]} = 0 ]; then
		:
	elif [ -e /usr/lib/wine/wine64 ]; then
		echo "compiled by none of the builds above, so never tidied: ${untidied[*]}"
		fail clang-tidy
	else
		echo "--- clang-tidy: not tidied here, where no Wine is: ${untidied[*]}"
	fi
else
	echo "--- clang-tidy: no mingw-w64 (x86_64-w64-mingw32-g++-posix) here, so the Windows build is not tidied"
fi

# cppcheck 2.11 and later limit their analysis of branches unless told not to,
# and say so in a line that fails the check: they are told.
exhaustive=()
[[ $(cppcheck --help 2>/dev/null) != *--check-level* ]] || exhaustive=(--check-level=exhaustive)
step cppcheck cppcheck --enable=warning,style,performance,portability --error-exitcode=1 "${exhaustive[@]}" \
	--inline-suppr --std=c++20 --quiet src/
step groff groff -ww -z -mandoc build/ci-clang/hrefgen.1

if [ ${#failed[@]} != 0 ]; then
	echo "lint.sh: ${failed[*]} found something (above)"
	exit 1
fi
