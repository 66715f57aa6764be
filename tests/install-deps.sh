#!/usr/bin/env bash
# Install every Debian package that the test suite (tests/run_all.sh) and the
# package checks use, and nothing else. It builds nothing, so running it as
# root leaves no root-owned files in the tree.
#
# usage: tests/install-deps.sh   (as root, or with sudo)
set -euo pipefail

packages=(
	cmake g++ make git perl              # the build and the case table
	locales strace                       # code pages under Wine, read failures
	bindfs fuse-overlayfs                # second views of one file, through FUSE
	e2fsprogs                            # a file system to mount, on a device named as the output
	clang libclang-rt-dev                # the clang build and libFuzzer, of Debian's clang
	clang-format clang-tidy cppcheck groff-base   # lint
	shellcheck                           # lint of the shell scripts
	libbenchmark-dev                     # the benchmark build, which lint tidies
	valgrind
	g++-mingw-w64-x86-64-posix wine64    # hrefgen.exe, run under Wine
	g++-aarch64-linux-gnu qemu-user      # hrefgen for 64-bit ARM, run under qemu
	dpkg-dev file lintian man-db zip     # release files: the .deb, lintian, man, the zip
	chromium                             # the web page recipes, opened in a browser
	debootstrap                          # the README and the suite on a fresh Debian 13
)

missing=()
for package in "${packages[@]}"; do
	[ "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null)" = installed ] ||
		missing+=("$package")
done
if [ ${#missing[@]} = 0 ]; then
	echo "install-deps.sh: all ${#packages[@]} packages the suite uses are installed"
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
