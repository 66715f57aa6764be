#!/usr/bin/env bash
# Install the Debian packages that the test suite (tests/run_all.sh) and the
# package checks use, and nothing else: all of them, or those of the parts
# named. It builds nothing, so running it as root leaves no root-owned files
# in the tree.
#
# usage: tests/install-deps.sh [PART...]    (as root, or with sudo)
#        tests/install-deps.sh --simulate   only ask apt whether all of them install
set -euo pipefail

# The parts of the suite, and the packages each needs.
declare -A parts=(
	# the build and the case table, its code pages under Wine, failing calls,
	# FUSE views, a file system to mount, and memcheck
	[build]="cmake g++ make git perl"
	[cases]="locales strace bindfs fuse-overlayfs e2fsprogs valgrind"
	# the clang build and libFuzzer; lint, which tidies the benchmark too
	[clang]="clang libclang-rt-dev"
	[lint]="clang clang-format clang-tidy cppcheck groff-base shellcheck libbenchmark-dev"
	# hrefgen.exe under Wine, with its manual.txt; hrefgen for 64-bit ARM under qemu
	[windows]="g++-mingw-w64-x86-64-posix wine64 groff-base"
	[arm64]="g++-aarch64-linux-gnu qemu-user"
	# the .deb, lintian and man; the zip and the web page recipes in a browser
	[deb]="dpkg-dev file lintian man-db"
	[release]="zip chromium"
	# the README and the suite on a fresh Debian 13
	[debian-13]="debootstrap"
)
simulate=
[ "${1:-}" != --simulate ] || { simulate=1; shift; }
what="of $*"
[ $# != 0 ] || { what="the suite uses"; set -- "${!parts[@]}"; }
packages=()
for part in "$@"; do
	[ -n "${parts[$part]:-}" ] || { echo "install-deps.sh: no part $part; the parts are: ${!parts[*]}"; exit 2; }
	read -r -a more <<<"${parts[$part]}"
	packages+=("${more[@]}")
done
mapfile -t packages < <(printf '%s\n' "${packages[@]}" | sort -u)
if [ -n "$simulate" ]; then
	[ "$(id -u)" != 0 ] || apt-get update -qq >/dev/null
	apt-get install -s -qq --no-install-recommends "${packages[@]}" >/dev/null ||
		{ echo "install-deps.sh: apt cannot install them all"; exit 1; }
	echo "install-deps.sh: apt can install all ${#packages[@]} packages"
	exit 0
fi

missing=()
for package in "${packages[@]}"; do
	[ "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null)" = installed ] ||
		missing+=("$package")
done
if [ ${#missing[@]} = 0 ]; then
	echo "install-deps.sh: all ${#packages[@]} packages $what are installed"
	exit 0
fi
if [ "$(id -u)" != 0 ]; then
	echo "install-deps.sh: run me as root or with sudo, to install: ${missing[*]}"
	exit 1
fi

# apt-get's progress goes to a log, shown only when it fails.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
echo "install-deps.sh: installing ${missing[*]}"
if ! { apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
	"${missing[@]}"; } >"$log" 2>&1; then
	tail -n 40 "$log"
	echo "install-deps.sh: apt-get failed; its last lines are above"
	exit 1
fi
echo "install-deps.sh: done"
