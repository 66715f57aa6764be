#!/usr/bin/env bash
# Check that hrefgen's release files are reproducible: build them with
# packaging/release.sh from two clones of the committed tree, one after the
# other, and compare them byte for byte: a clean clone, and a used one in a
# longer path, in another time zone, locale and umask, whose Windows release
# folder a hand configured beforehand with the host's strip, which stamps
# the time into what it strips.
#
# usage: tests/reproducible.sh
# A difference names the file and shows its first differing bytes, and
# diffoscope's report where diffoscope is installed.
set -uo pipefail
cd "$(dirname "$0")/.." || exit
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset SOURCE_DATE_EPOCH
echo "building the release files of commit $(git rev-parse --short HEAD) twice"

# Clone the tree into folder $1, run the command $2 there, and build the
# release files, with the environment settings after them.
build_in() {
	local folder=$1 before=$2
	shift 2
	# shellcheck disable=SC2015 # the log is for the clone or the build failing
	git clone -q --no-hardlinks "$PWD" "$folder" &&
		(cd "$folder" && eval "$before" && env "$@" bash packaging/release.sh) >"$work/build.log" 2>&1 ||
		{ cat "$work/build.log"; echo "the build in $folder failed"; return 1; }
	echo "  built in $folder at $(date -u +%H:%M:%S) UTC"
}

# Compare every release file built in clone $1 with the same file built in clone $2.
compare() {
	local file a b f offset differ=0
	for file in $(cd "$1/build/dist" && ls); do
		a=$1/build/dist/$file b=$2/build/dist/$file
		if [ ! -f "$b" ]; then
			echo "DIFFERS: $file is missing from $2"
			differ=1
		elif cmp -s "$a" "$b"; then
			echo "  same: $file  $(sha256sum <"$a" | cut -c1-16)…"
		else
			differ=1
			offset=$(cmp "$a" "$b" | sed -n 's/.* byte \([0-9]*\).*/\1/p')
			echo "DIFFERS: $file in $2, first at byte $offset; 16 bytes from there in each build:"
			for f in "$a" "$b"; do
				od -A d -t x1 -j $((offset - 1)) -N 16 "$f" | head -1 | sed 's/^/    /'
			done
			if command -v diffoscope >/dev/null; then
				diffoscope --text - "$a" "$b" | head -n 60
			fi
		fi
	done
	return $differ
}

first=$work/one/hrefgen
used=$work/two/a/longer/path/hrefgen-used
build_in "$first" : TZ=UTC LC_ALL=C.UTF-8 || exit 1
(umask 002 && build_in "$used" 'cmake --preset windows -B build/dist-windows -DCMAKE_STRIP=/usr/bin/strip' \
	TZ=Pacific/Kiritimati LC_ALL=C) || exit 1

echo "a used clone:"
compare "$first" "$used" && echo "every release file is the same bytes in both builds"
