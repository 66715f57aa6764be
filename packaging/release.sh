#!/usr/bin/env bash
# Build hrefgen's release files into build/dist, the same bytes from the same
# commit in any folder and at any time:
#   hrefgen                      the Linux binary, stripped
#   hrefgen_VERSION_ARCH.deb     the Debian package
#   hrefgen.exe                  the Windows binary, stripped
#   hrefgen-VERSION-win64.zip    the Windows zip
#   SHA256SUMS                   their checksums, for sha256sum -c
#
# usage: packaging/release.sh
# Needs g++-mingw-w64-x86-64-posix, dpkg-dev, file and zip. Every time stamp is
# SOURCE_DATE_EPOCH, the commit's own time unless it is set.
set -euo pipefail
cd "$(dirname "$0")/.."
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
# Zip files keep local times, and archives keep modes: fix both.
export TZ=UTC
umask 022
dist=build/dist
stage=build/dist-stage
rm -rf "$dist" "$stage"
mkdir -p "$dist"

# Run a command with its output kept back, and shown only when it fails.
quietly() {
	local output
	output=$("$@" 2>&1) || { echo "$output"; return 1; }
}

# Each build is configured afresh, by the workflows dist-linux and
# dist-windows, in folders of their own: nothing that another build, or a
# hand, left in a cache can reach a release file.
linux=build/dist-linux
windows=build/dist-windows

# Linux: the binary as installed, and the Debian package.
quietly cmake --workflow --preset dist-linux --fresh
quietly cmake --install "$linux" --prefix "$PWD/$stage/linux" --strip
cp "$stage/linux/bin/hrefgen" "$linux"/packages/hrefgen_*.deb "$dist/"

# Windows: the zip, made with Info-ZIP's zip -X (no owners, no extra time
# fields), its files in a fixed order with fixed modes and times.
quietly cmake --workflow --preset dist-windows --fresh
quietly cmake --install "$windows" --prefix "$PWD/$stage/windows" --strip
version=$(cat "$windows/VERSION")
zip_files=(hrefgen.exe README.txt LICENSE.txt links.txt)
(
	cd "$stage/windows"
	chmod 644 "${zip_files[@]}"
	chmod 755 hrefgen.exe
	touch -d "@$SOURCE_DATE_EPOCH" "${zip_files[@]}"
	zip -q -X -D "../hrefgen-$version-win64.zip" "${zip_files[@]}"
)
cp "$stage/windows/hrefgen.exe" "$stage/hrefgen-$version-win64.zip" "$dist/"
rm -rf "$stage"

(cd "$dist" && sha256sum -- * >SHA256SUMS && cat SHA256SUMS)
