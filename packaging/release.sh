#!/usr/bin/env bash
# Build hrefgen's release files into build/dist, the same bytes from the same
# commit in any folder and at any time:
#   hrefgen_VERSION_amd64.deb             the Debian package for x86-64
#   hrefgen_VERSION_arm64.deb             the Debian package for 64-bit ARM
#   hrefgen-VERSION-linux-x86_64.tar.gz   for any Linux distribution on x86-64,
#                                         with a static binary
#   hrefgen-VERSION-linux-aarch64.tar.gz  the same for 64-bit ARM
#   hrefgen.exe                           the Windows binary, stripped
#   hrefgen-VERSION-win64.zip             the Windows zip
#   SHA256SUMS                            their checksums, for sha256sum -c
# What the archives and the zip hold is what their builds install
# (cmake/packaging.cmake), in the order installed.
#
# usage: packaging/release.sh
#        packaging/release.sh --deb   only the Debian package for this machine
# Needs g++-mingw-w64-x86-64-posix, g++-aarch64-linux-gnu, dpkg-dev, file and
# zip. Every time stamp is SOURCE_DATE_EPOCH, the commit's own time unless it
# is set.
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

# dist_build FOLDER PRESET [SETTING...]: build the release build of the
# configure preset PRESET, without its tests, in build/FOLDER, configured
# afresh: nothing that another build, or a hand, left in a cache can reach a
# release file.
dist_build() {
	quietly cmake --preset "$2" -B "build/$1" --fresh -DBUILD_TESTING=OFF "${@:3}" &&
		quietly cmake --build "build/$1" --parallel "$(nproc)"
}

# Make the files that an install into folder $1 wrote (as listed in the
# install manifest $2, in its order) rw-r--r--, or rwxr-xr-x for a program,
# and their time SOURCE_DATE_EPOCH; print their names in that folder.
installed() {
	local file
	# The manifest's last line has no newline.
	while IFS= read -r file || [ -n "$file" ]; do
		if [ -x "$file" ]; then chmod 755 "$file"; else chmod 644 "$file"; fi
		touch -d "@$SOURCE_DATE_EPOCH" "$file"
		echo "${file#"$1"/./}"
	done <"$2"
}
windows=build/dist-windows

# Linux, for the architecture that the configure preset $2 builds: in
# build/$1 its Debian package, linked as Debian wants; and in build/$1-static
# an archive for any distribution, whose binary needs no library of the
# system's, named after the processor as uname -m names it.
linux_release() {
	local build=build/$1 static=build/$1-static
	dist_build "$1" "$2"
	(cd "$build" && quietly cpack -G DEB)
	cp "$build"/packages/hrefgen_*.deb "$dist/"
	dist_build "$1-static" "$2" -DHREFGEN_STATIC=ON
	local name
	name=hrefgen-$(cat "$static/VERSION")-linux-$(cat "$static/PROCESSOR")
	quietly cmake --install "$static" --component archive --prefix "$PWD/$stage/$name" --strip
	installed "$PWD/$stage/$name" "$static/install_manifest_archive.txt" >/dev/null
	chmod 755 "$stage/$name"
	tar -C "$stage" --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 \
		--numeric-owner --format=gnu -cf - "$name" | gzip -9n >"$dist/$name.tar.gz"
}
if [ "${1:-}" = --deb ]; then
	dist_build dist-linux release
	(cd build/dist-linux && quietly cpack -G DEB)
	cp build/dist-linux/packages/hrefgen_*.deb "$dist/"
	exit
fi
linux_release dist-linux release
linux_release dist-linux-arm64 linux-arm64

# Windows: the zip, made with Info-ZIP's zip -X (no owners, no extra time
# fields), its files in a fixed order with fixed modes and times.
dist_build dist-windows windows
quietly cmake --install "$windows" --prefix "$PWD/$stage/windows" --strip
version=$(cat "$windows/VERSION")
mapfile -t zip_files < <(installed "$PWD/$stage/windows" "$windows/install_manifest.txt")
(cd "$stage/windows" && zip -q -X -D "../hrefgen-$version-win64.zip" "${zip_files[@]}")
cp "$stage/windows/hrefgen.exe" "$stage/hrefgen-$version-win64.zip" "$dist/"
rm -rf "$stage"

(cd "$dist" && sha256sum -- * >SHA256SUMS && cat SHA256SUMS)
