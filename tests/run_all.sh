#!/usr/bin/env bash
# Build hrefgen and run the whole test suite: every leg this machine can run.
# With HREFGEN_REQUIRE_ALL=1 (set by CI) a leg that cannot run is a failure, not a skip.
set -uo pipefail
cd "$(dirname "$0")/.."
require_all=${HREFGEN_REQUIRE_ALL:-0}
failed=()
skipped=()

# Run one leg by name; record it as failed when its command fails.
leg() {
	local name=$1
	shift
	echo "=== $name"
	if "$@"; then
		echo "=== $name: passed"
	else
		echo "=== $name: FAILED"
		failed+=("$name")
	fi
}

# Record a leg that this machine cannot run, or fail it when every leg is required.
skip() {
	echo "=== $1: SKIPPED ($2)"
	if [ "$require_all" = 1 ]; then
		failed+=("$1")
	else
		skipped+=("$1")
	fi
}

# Configure, build and test one preset.
preset() {
	cmake --preset "$1" >/dev/null && cmake --build --preset "$1" && ctest --preset "$1"
}

# Build hrefgen.exe and run the case table under Wine, with one wineserver for the whole leg.
windows_leg() {
	# A Wine prefix of the build's own, made before the first case so that
	# Wine's set-up messages stay out of the cases.
	export WINEPREFIX=$PWD/build/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
	mkdir -p "$WINEPREFIX"
	wineserver -p || echo "(a wineserver is running already; using it)"
	/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || return 1
	preset windows
	local status=$?
	wineserver -k
	return $status
}

leg native preset ci
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
	skip windows "no mingw-w64: apt-get install g++-mingw-w64-x86-64-posix"
elif [ ! -x /usr/lib/wine/wine64 ]; then
	skip windows "no Wine: apt-get install wine64"
else
	leg windows windows_leg
fi

echo
[ ${#skipped[@]} = 0 ] || echo "skipped: ${skipped[*]}"
if [ ${#failed[@]} != 0 ]; then
	echo "failed: ${failed[*]}"
	exit 1
fi
echo "all legs passed"
