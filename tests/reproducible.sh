#!/usr/bin/env bash
# Check that hrefgen's release files are reproducible: build them twice with
# packaging/release.sh, from two clean clones of the committed tree in two
# different folders, one after the other, in different time zones, locales and
# umasks, and compare them byte for byte.
#
# usage: tests/reproducible.sh
# A difference names the file and shows its first differing bytes, and
# diffoscope's report where diffoscope is installed.
set -uo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset SOURCE_DATE_EPOCH
echo "building the release files of commit $(git rev-parse --short HEAD) twice"

# Clone the tree into folder $1 and build the release files there, with the environment settings after it.
build_in() {
	local folder=$1
	shift
	git clone -q --no-hardlinks "$PWD" "$folder" &&
		(cd "$folder" && env "$@" bash packaging/release.sh >"$work/build.log" 2>&1) ||
		{ cat "$work/build.log"; echo "the build in $folder failed"; return 1; }
	echo "  built in $folder at $(date -u +%H:%M:%S) UTC"
}

first=$work/one/hrefgen
second=$work/two/a/longer/path/hrefgen-again
build_in "$first" TZ=UTC LC_ALL=C.UTF-8 || exit 1
(umask 002 && build_in "$second" TZ=Pacific/Kiritimati LC_ALL=C) || exit 1

differ=0
for file in $(cd "$first/build/dist" && ls); do
	a=$first/build/dist/$file b=$second/build/dist/$file
	if [ ! -f "$b" ]; then
		echo "DIFFERS: $file is missing from the second build"
		differ=1
	elif cmp -s "$a" "$b"; then
		echo "  same: $file  $(sha256sum <"$a" | cut -c1-16)…"
	else
		differ=1
		offset=$(cmp "$a" "$b" | sed -n 's/.* byte \([0-9]*\).*/\1/p')
		echo "DIFFERS: $file, first at byte $offset; 16 bytes from there in each build:"
		for f in "$a" "$b"; do
			od -A d -t x1 -j $((offset - 1)) -N 16 "$f" | head -1 | sed 's/^/    /'
		done
		if command -v diffoscope >/dev/null; then
			diffoscope --text - "$a" "$b" | head -n 60
		fi
	fi
done
[ $differ = 0 ] && echo "every release file is the same bytes in both builds"
exit $differ
