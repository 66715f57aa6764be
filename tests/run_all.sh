#!/usr/bin/env bash
# Build hrefgen and run the whole test suite: every leg this machine can run.
# Each leg is a CMake workflow (CMakePresets.json) or a script, and stands on
# its own: the legs may run in any order, or one at a time.
#
# usage: tests/run_all.sh [LEG...]          (default: every leg)
#        tests/run_all.sh --except LEG...   every leg but these
# With HREFGEN_REQUIRE_ALL=1 (set by CI) a leg that cannot run is a failure,
# not a skip. A leg that mounts file systems runs only with
# HREFGEN_TEST_MOUNTS=1, as do such cases in the table. HREFGEN_FUZZ_SECONDS
# sets each fuzz target's run (tests/fuzz.sh). It ends with a table of the
# legs and the seconds each took.
set -uo pipefail
cd "$(dirname "$0")/.." || exit
passed=() failed=() skipped=() times=()
# Builds use every core; CTest runs two topics at once (CMakePresets.json).
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}

# Tell whether clang++ links a libFuzzer target: its own fuzzer runtime, of whichever version.
libfuzzer() {
	echo 'extern "C" int LLVMFuzzerTestOneInput(const char *, unsigned long) { return 0; }' |
		clang++ -fsanitize=fuzzer -x c++ - -o /dev/null 2>/dev/null
}

# Tell whether $1 is on this machine: a check of this script's (a function), a
# file (a pattern) when it holds a slash, or else a command.
have() {
	if declare -F "$1" >/dev/null; then
		"$1"
	elif [[ $1 == */* ]]; then
		compgen -G "$1" >/dev/null
	else
		command -v "$1" >/dev/null
	fi
}

# leg NAME NEEDS COMMAND...: run COMMAND as the leg NAME, if it was asked for.
# NEEDS lists what the leg needs: things that have() looks for, which
# tests/install-deps.sh installs, and the words root and mounts
# (HREFGEN_TEST_MOUNTS=1); when one is missing, tests/missing.sh says what
# becomes of the leg.
leg() {
	local name=$1 needs=$2 need missing=() start=$SECONDS
	shift 2
	if [ -n "$except" ]; then
		[[ " ${chosen[*]} " != *" $name "* ]] || return 0
	else
		[ ${#chosen[@]} = 0 ] || [[ " ${chosen[*]} " == *" $name "* ]] || return 0
	fi
	for need in $needs; do
		case $need in
		root) [ "$(id -u)" = 0 ] || missing+=(root) ;;
		mounts) [ "${HREFGEN_TEST_MOUNTS:-0}" = 1 ] || missing+=("HREFGEN_TEST_MOUNTS=1, to mount") ;;
		*) have "$need" || missing+=("$need") ;;
		esac
	done
	if [ ${#missing[@]} != 0 ]; then
		local said
		said=$(bash tests/missing.sh "$name" "${missing[*]}")
		if [ $? = 77 ]; then skipped+=("${said#SKIP }"); else failed+=("${said#FAIL }"); fi
		echo "=== $said"
		return
	fi
	echo "=== $name"
	if "$@"; then
		echo "=== $name: passed ($((SECONDS - start)) s)"
		passed+=("$name")
		times+=("$(printf '%-13s %5d  passed' "$name" $((SECONDS - start)))")
	else
		echo "=== $name: FAILED ($((SECONDS - start)) s)"
		failed+=("$name")
		times+=("$(printf '%-13s %5d  FAILED' "$name" $((SECONDS - start)))")
	fi
}

# Run the workflow preset $1, showing its output only when it fails; then its
# count of tests, and in one line the topics that were skipped, for want of
# something on this machine or because the build cannot run them (ctest -V
# -R TEST in its build folder says why).
workflow() {
	local log=build/$1-workflow.log status
	mkdir -p build
	cmake --workflow --preset "$1" >"$log" 2>&1
	status=$?
	if [ $status = 0 ]; then grep -E '^[0-9]+% tests passed' "$log"; else cat "$log"; fi
	awk '/^The following tests did not run:/ { on = 1; next }
		on && / \(Skipped\)$/ { names = names " " $3; next }
		{ on = 0 }
		END { if (names != "") print "  skipped:" names }' "$log"
	return $status
}

except=
[ "${1:-}" != --except ] || { except=1; shift; }
chosen=("$@")
# Every leg is a workflow preset, or a script that builds with presets.
cmake_version=$(cmake --version 2>/dev/null | sed -n '1s/.* version \([0-9.]*\).*/\1/p')
if [ -z "$cmake_version" ] || [ "$(printf '%s\n' 3.25 "$cmake_version" | sort -V | head -n 1)" != 3.25 ]; then
	echo "run_all.sh: the test suite needs CMake 3.25 or later (for its presets); this machine has ${cmake_version:-none}"
	exit 2
fi
cross=x86_64-w64-mingw32-g++-posix
arm64="aarch64-linux-gnu-g++ qemu-aarch64"
wine=/usr/lib/wine/wine64
release_needs="$cross aarch64-linux-gnu-g++ dpkg-shlibdeps file zip"

leg native '' workflow ci
leg clang 'clang++' workflow ci-clang
leg portable '' workflow portable
leg sanitizers '' workflow sanitize
leg fuzz 'clang++ libfuzzer' bash tests/fuzz.sh
leg lint 'clang++ clang-format clang-tidy cppcheck groff shellcheck /usr/include/benchmark/benchmark.h' \
	bash tests/lint.sh
leg windows "$cross $wine localedef" workflow windows
leg arm64 "$arm64" workflow linux-arm64
leg packages "$release_needs lintian $wine qemu-aarch64 chromium" \
	bash -c 'bash packaging/release.sh && bash packaging/check-release.sh'
leg reproducible "$release_needs git" bash tests/reproducible.sh
leg debian-13 'root mounts debootstrap git' bash tests/debian13.sh

total=$((${#passed[@]} + ${#failed[@]} + ${#skipped[@]}))
[ $total != 0 ] || { echo "run_all.sh: no leg to run among ${chosen[*]}"; exit 2; }
echo
if [ ${#times[@]} != 0 ]; then
	echo "leg           seconds"
	printf '%s\n' "${times[@]}"
	echo "total         $(printf '%5d' "$SECONDS")"
	echo
fi
for name in "${skipped[@]}"; do echo "skipped: $name"; done
for name in "${failed[@]}"; do echo "FAILED: $name"; done
if [ ${#failed[@]} != 0 ]; then
	echo "${#failed[@]} of $total legs failed; ${#passed[@]} passed, ${#skipped[@]} skipped"
	exit 1
elif [ ${#skipped[@]} != 0 ]; then
	echo "${#passed[@]} of $total legs passed, ${#skipped[@]} skipped (see above; bash tests/install-deps.sh, as root, installs all the suite needs)"
else
	echo "all $total legs passed"
fi
