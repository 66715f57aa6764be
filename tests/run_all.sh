#!/usr/bin/env bash
# Build hrefgen and run the whole test suite: every leg this machine can run.
# With HREFGEN_REQUIRE_ALL=1 (set by CI) a leg that cannot run is a failure, not a skip.
# HREFGEN_FUZZ_SECONDS sets each fuzz target's run (default 60 under CI, 10 elsewhere).
set -uo pipefail
cd "$(dirname "$0")/.."
require_all=${HREFGEN_REQUIRE_ALL:-0}
fuzz_seconds=${HREFGEN_FUZZ_SECONDS:-$([ "${CI:-}" = true ] && echo 60 || echo 10)}
passed=()
failed=()
skipped=()

# Run one leg by name; record it as passed or failed.
leg() {
	local name=$1 start=$SECONDS
	shift
	echo "=== $name"
	if "$@"; then
		echo "=== $name: passed ($((SECONDS - start)) s)"
		passed+=("$name")
	else
		echo "=== $name: FAILED ($((SECONDS - start)) s)"
		failed+=("$name")
	fi
}

# Record a leg that this machine cannot run, and why; a failure when every leg is required.
skip() {
	echo "=== $1: SKIPPED ($2)"
	if [ "$require_all" = 1 ]; then
		failed+=("$1 ($2)")
	else
		skipped+=("$1 ($2)")
	fi
}

# Tell whether every named command is on this machine.
have() {
	command -v "$@" >/dev/null
}

# Run a command with its output kept back, and shown only when it fails.
quietly() {
	local output
	output=$("$@" 2>&1) || { echo "$output"; return 1; }
}

# Configure and build one preset.
build() {
	cmake --preset "$1" >/dev/null && cmake --build --preset "$1"
}

# Run ctest with arguments $2..., in build folder $1, then show what its case
# tables counted, skipped and ran again: ctest shows a passing test's output
# to no one.
tested() {
	local folder=$1 status
	shift
	ctest "$@"
	status=$?
	grep -h -E '^(SKIP line|RETRY line|(posix|windows): [0-9]+ passed)' \
		"$folder/Testing/Temporary/LastTest.log" 2>/dev/null | sed 's/^/  /'
	return $status
}

# Configure, build and test one preset.
preset() {
	build "$1" && tested "build/$1" --preset "$1"
}

# clang-tidy, printing its findings only, not its count of warnings in system headers.
tidy() {
	clang-tidy --quiet "$@" 2>&1 | { grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' || true; }
	return "${PIPESTATUS[0]}"
}

# Formatting, clang-tidy and cppcheck over the tool's sources, and groff on the
# manual page; the Windows sources with the cross-build's compile commands.
lint() {
	local sources
	sources=$(git ls-files --cached --others --exclude-standard '*.cpp' '*.hpp')
	# shellcheck disable=SC2086 # the sources' names hold no spaces
	clang-format --dry-run -Werror $sources &&
		tidy -p build/ci-clang src/main.cpp src/driver.cpp src/link_extractor.cpp src/stream_io_posix.cpp \
			src/wtf8.cpp tests/pty_feed.cpp tests/wtf8_test.cpp &&
		cppcheck --enable=warning,style,performance,portability --error-exitcode=1 \
			--inline-suppr --std=c++20 --quiet src/ &&
		groff -ww -z -mandoc build/ci-clang/hrefgen.1 || return 1
	if have x86_64-w64-mingw32-g++-posix; then
		local include
		include=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=include/c++/cstdio)")
		cmake --preset windows >/dev/null &&
			tidy -p build/windows --extra-arg=-isystem"$include" \
				--extra-arg=-isystem"$include"/x86_64-w64-mingw32 \
				src/main_windows.cpp src/stream_io_windows.cpp tests/version_probe.cpp
	fi
}

# Build the fuzz targets and run each from its seed corpus for fuzz_seconds.
fuzz() {
	build fuzz || return 1
	local target corpus
	for target in extractor run; do
		corpus=build/fuzz/corpus-$target
		mkdir -p "$corpus"
		echo "--- ${target}_fuzzer for $fuzz_seconds s"
		build/fuzz/fuzz/${target}_fuzzer -max_total_time="$fuzz_seconds" -print_final_stats=1 \
			-artifact_prefix=build/fuzz/ "$corpus" fuzz/corpus/$target >build/fuzz/$target.log 2>&1 || {
			tail -40 build/fuzz/$target.log
			return 1
		}
		grep -E 'DONE|stat::number_of_executed_units' build/fuzz/$target.log
	done
}

# Build hrefgen.exe and run the case table under Wine, with one wineserver for the whole leg.
windows() {
	# A Wine prefix of the build's own, made before the first case so that
	# Wine's set-up messages stay out of the cases.
	export WINEPREFIX=$PWD/build/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
	# wineboot returns while Wine's own services are still starting, and a case
	# started then can fail inside Wine: wait for them all to end, then keep one
	# wineserver for the cases.
	mkdir -p "$WINEPREFIX"
	/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || return 1
	/usr/lib/wine/wineserver -w
	/usr/lib/wine/wineserver -p || echo "(a wineserver is running already; using it)"
	# The first program started brings Wine's services up, and they keep its
	# output open: start one whose output is no test's.
	/usr/lib/wine/wine64 cmd /c exit </dev/null >/dev/null 2>&1
	preset windows
	local status=$?
	/usr/lib/wine/wineserver -k
	return $status
}

leg native preset ci
leg release preset release
if have clang++; then
	leg clang preset ci-clang
else
	skip clang "no clang: apt-get install clang"
fi
leg sanitizers preset sanitize
if have valgrind; then
	leg valgrind tested build/ci --preset valgrind
else
	skip valgrind "no valgrind: apt-get install valgrind"
fi
if have clang++ && [ -n "$(find /usr/lib/llvm-* -name 'libclang_rt.fuzzer-x86_64.a' 2>/dev/null)" ]; then
	leg fuzz fuzz
else
	skip fuzz "no libFuzzer: apt-get install clang libclang-rt-14-dev"
fi
if have clang-format clang-tidy cppcheck groff && [ -f build/ci-clang/compile_commands.json ]; then
	leg lint lint
else
	skip lint "needs the clang build and apt-get install clang clang-format clang-tidy cppcheck groff-base"
fi
if ! have x86_64-w64-mingw32-g++-posix; then
	skip windows "no mingw-w64: apt-get install g++-mingw-w64-x86-64-posix"
elif [ ! -x /usr/lib/wine/wine64 ]; then
	skip windows "no Wine: apt-get install wine64"
else
	leg windows windows
fi
release_needs="apt-get install g++-mingw-w64-x86-64-posix dpkg-dev file zip"
if ! have x86_64-w64-mingw32-g++-posix dpkg-shlibdeps file zip; then
	skip packages "the release files need: $release_needs, and lintian"
	skip reproducible "the release files need: $release_needs"
elif ! have lintian || [ ! -x /usr/lib/wine/wine64 ]; then
	skip packages "the release checks need: apt-get install lintian wine64"
	leg reproducible bash tests/reproducible.sh
else
	leg packages bash -c 'bash packaging/release.sh && bash packaging/check-release.sh'
	leg reproducible bash tests/reproducible.sh
fi

total=$((${#passed[@]} + ${#failed[@]} + ${#skipped[@]}))
echo
for name in "${skipped[@]}"; do echo "skipped: $name"; done
for name in "${failed[@]}"; do echo "FAILED: $name"; done
if [ ${#failed[@]} != 0 ]; then
	echo "${#failed[@]} of $total legs failed; ${#passed[@]} passed, ${#skipped[@]} skipped"
	exit 1
elif [ ${#skipped[@]} != 0 ]; then
	echo "${#passed[@]} of $total legs passed, ${#skipped[@]} skipped (see above; tests/install-deps.sh installs what they need)"
else
	echo "all $total legs passed"
fi
