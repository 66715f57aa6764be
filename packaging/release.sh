#!/usr/bin/env bash
# Build hrefgen's release files into build/dist, the same bytes from the same
# commit in any folder and at any time:
#   hrefgen_VERSION_amd64.deb             the Debian package for x86-64
#   hrefgen_VERSION_arm64.deb             the Debian package for 64-bit ARM
#   hrefgen-VERSION-linux-x86_64.tar.gz   for any Linux distribution on x86-64: a
#                                         static binary, the manual page, the
#                                         README and the licence
#   hrefgen-VERSION-linux-aarch64.tar.gz  the same for 64-bit ARM
#   hrefgen.exe                           the Windows binary, stripped
#   hrefgen-VERSION-win64.zip             the Windows zip
#   SHA256SUMS                            their checksums, for sha256sum -c
#
# usage: packaging/release.sh
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

# Each build is configured afresh, by the workflows dist-linux, dist-linux-arm64,
# their -static twins and dist-windows, in folders of their own: nothing that
# another build, or a hand, left in a cache can reach a release file.
windows=build/dist-windows

# Linux, for the architecture that the workflow $1 builds: its Debian package,
# linked as Debian wants; and from the workflow $1-static an archive for any
# distribution, whose binary needs no library of the system's, named after
# the processor as uname -m names it.
linux_release() {
	local build=build/$1 static=build/$1-static
	quietly cmake --workflow --preset "$1" --fresh
	cp "$build"/packages/hrefgen_*.deb "$dist/"
	quietly cmake --workflow --preset "$1-static" --fresh
	quietly cmake --install "$static" --prefix "$PWD/$stage/$1" --strip
	local name
	name=hrefgen-$(cat "$static/VERSION")-linux-$(cat "$static/PROCESSOR")
	mkdir "$stage/$name"
	cp "$stage/$1/bin/hrefgen" "$static/hrefgen.1" README.md LICENSE "$stage/$name/"
	chmod 755 "$stage/$name" "$stage/$name/hrefgen"
	chmod 644 "$stage/$name"/{hrefgen.1,README.md,LICENSE}
	tar -C "$stage" --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 \
		--numeric-owner --format=gnu -cf - "$name" | gzip -9n >"$dist/$name.tar.gz"
}
linux_release dist-linux
linux_release dist-linux-arm64

# Windows: the zip, made with Info-ZIP's zip -X (no owners, no extra time
# fields), its files in a fixed order with fixed modes and times.
quietly cmake --workflow --preset dist-windows --fresh
quietly cmake --install "$windows" --prefix "$PWD/$stage/windows" --strip
version=$(cat "$windows/VERSION")
zip_files=(hrefgen.exe README.txt LICENSE.txt links.txt page-start.html page-end.html)
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
