#!/usr/bin/env bash
# Check the release files that packaging/release.sh built into build/dist, as
# Debian, a user of any Linux distribution and a Windows user meet them:
#   - each Debian package depends on the least libc6 that its hrefgen needs
#     (cmake/glibc-need.cmake), so that every system whose C library runs it
#     can install it, and that its hrefgen needs the C library alone;
#   - lintian --pedantic --display-info passes each Debian package without a word;
#   - each Linux archive holds one folder with what its static build installs
#     for it (cmake/packaging.cmake); its hrefgen is static, and passes the
#     case table (the aarch64 one under qemu-aarch64);
#   - the Windows zip holds what the Windows build installs, its text (all
#     but the program) with CR LF line ends;
#   - its manual.txt is the manual page rendered afresh from its source;
#   - the example in README.txt is real: its lines of links.txt are the first
#     lines of the bundled links.txt, and its anchor lines are what hrefgen.exe,
#     run under Wine, makes of them and the first lines it makes of the whole;
#   - the web page recipes of README.txt (copy in cmd, under Wine) and of
#     README.md (a Linux shell) make pages that headless Chromium shows as
#     meant: over 3,000 links, one a line, and accented, Cyrillic and Japanese
#     descriptions in their own letters.
#
# usage: packaging/check-release.sh
#        packaging/check-release.sh --deb   the Debian packages alone (release.sh --deb)
# Needs cmake, dpkg-dev (with its binutils, for readelf), lintian, file, qemu-user
# for the aarch64 archive, Wine (wine64) for the example and chromium.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
dist=build/dist
unpacked=build/dist-unpacked

# Check that the Debian package $1 depends on libc6 (>= x.y), where x.y is the
# least glibc release that its hrefgen runs on (cmake/glibc-need.cmake), and
# that it needs no other library.
check_libc6() {
	local dir binary need depends needed libc6
	dir=$(mktemp -d)
	dpkg-deb -x "$1" "$dir" || { rm -rf "$dir"; return 1; }
	binary=$dir/usr/bin/hrefgen
	need=$(cmake -DBINARY="$binary" -P cmake/glibc-need.cmake) || { rm -rf "$dir"; return 1; }
	depends=$(dpkg-deb -f "$1" Depends)
	needed=$(readelf -d -W "$binary" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p' | tr '\n' ' ')
	rm -rf "$dir"
	# The C library alone: with libstdc++ (which one call that may throw
	# brings in) every run took 1.5 ms more to start, and the 200 MB list 6%
	# longer to convert.
	[ "$needed" = "libc.so.6 " ] ||
		{ echo "$1: its hrefgen should need the C library alone, not ${needed% }"; return 1; }
	libc6=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ *$//' | grep -E '^libc6([ :(]|$)')
	echo "--- $1: Depends: $depends; hrefgen needs glibc $need"
	[ "$libc6" = "libc6 (>= $need)" ] || {
		echo "$1 should depend on libc6 (>= $need), the least that its hrefgen needs, not on '${libc6:-no libc6}'"
		return 1
	}
}

# Run lintian on the package $1, from a copy in a folder that every user may
# read: lintian warns when run as root, so root runs it as nobody, who may not
# enter the tree's folder (/root, say).
lint_deb() {
	echo "--- lintian --pedantic --display-info $1"
	local dir found as_nobody=()
	dir=$(mktemp -d)
	chmod 755 "$dir" && cp "$1" "$dir/" && chmod 644 "$dir"/*.deb
	[ "$(id -u)" != 0 ] ||
		as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$dir")
	found=$(cd "$dir" && "${as_nobody[@]}" lintian --pedantic --display-info ./*.deb 2>&1)
	rm -rf "$dir"
	[ -z "$found" ] || { echo "$found"; return 1; }
}

# The files that the install manifest $1 lists, by their paths in the folder
# installed into (which packaging/release.sh names with /./), sorted.
manifest_files() {
	sed 's|.*/\./||' "$1" | LC_ALL=C sort
}

# The files in folder $1, sorted.
files_in() {
	(cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
}

# Unpack the Linux archive $1 and check that it holds what its static build
# installs for it (the build in build/dist-*-static for its processor), that
# its hrefgen is static, and that it passes the case table.
check_archive() {
	local name folder held static want
	name=$(basename "$1" .tar.gz)
	folder=$unpacked/$name
	rm -rf "$unpacked" && mkdir -p "$unpacked" && tar -C "$unpacked" -xzf "$1" || return 1
	held=$(files_in "$unpacked")
	echo "--- $1: ${held//$'\n'/ }"
	for static in build/dist-*-static; do
		[ "$(cat "$static/PROCESSOR")" != "${name##*-}" ] || break
	done
	want=$(manifest_files "$static/install_manifest_archive.txt" | sed "s|^|$name/|")
	if [ "$(ls "$unpacked")" != "$name" ] || [ "$held" != "$want" ]; then
		echo "$1 should hold the folder $name with what $static installs for it: ${want//$'\n'/ }"
		return 1
	fi
	file "$folder/hrefgen" | grep -q 'statically linked' ||
		{ echo "$name/hrefgen is not static: $(file -b "$folder/hrefgen")"; return 1; }
	local run=("$folder/hrefgen") topic status=0 build=native
	[ "${name##*-}" = "$(uname -m)" ] || { run=("/usr/bin/qemu-${name##*-}" "$folder/hrefgen"); build=emulator; }
	for topic in tests/cases/*.sh; do
		topic=$(basename "$topic" .sh)
		HREFGEN_CASES_BUILD=$build HREFGEN_PTY_FEED=$PWD/$pty_feed \
			bash tests/cases.sh --topic "$topic" posix "${run[@]}" | grep -v '^SKIP'
		# 77: the topic could not run on this machine.
		case ${PIPESTATUS[0]} in 0 | 77) ;; *) status=1 ;; esac
	done
	return $status
}

# Unpack the Windows zip $1 into $unpacked and check that it holds what the
# Windows build installs (build/dist-windows), all but the program text with
# CR LF.
check_zip() {
	local file held want
	rm -rf "$unpacked" && mkdir -p "$unpacked" && (cd "$unpacked" && cmake -E tar xf "../../$1")
	held=$(files_in "$unpacked")
	echo "--- $1: ${held//$'\n'/ }"
	want=$(manifest_files build/dist-windows/install_manifest.txt)
	[ "$held" = "$want" ] || { echo "$1 should hold what build/dist-windows installs: ${want//$'\n'/ }"; return 1; }
	for file in $want; do
		[ "$file" != hrefgen.exe ] || continue
		if grep -q $'[^\r]$\|^$' "$unpacked/$file"; then
			echo "$file in $1 has a line end that is not CR LF"
			return 1
		fi
	done
}

# Check that the zip $1, unpacked into $unpacked, holds manual.txt as the
# manual page rendered afresh from doc/hrefgen.1.in (and the release date in
# CHANGELOG.md) for its version: the same bytes, so no stale copy ships.
check_manual_text() {
	local version fresh=$unpacked/manual-fresh.txt
	version=$(basename "$1" -win64.zip) && version=${version#hrefgen-}
	[ -f "$unpacked/manual.txt" ] || { echo "manual.txt missing from $1"; return 1; }
	cmake -DSOURCE_DIR="$PWD" -DVERSION="$version" -DTEXT="$fresh" -P cmake/manual-text.cmake || return 1
	echo "--- manual.txt in $1: $(wc -l <"$unpacked/manual.txt") lines, the manual page of $version rendered"
	cmp -s "$fresh" "$unpacked/manual.txt" ||
		{ echo "manual.txt in $1 is not doc/hrefgen.1.in rendered afresh"; diff "$fresh" "$unpacked/manual.txt" | head -n 20; return 1; }
}

# Print the indented block of README.txt that follows the line "$1", without
# its indent, its line ends or the blank lines around it.
example_block() {
	tr -d '\r' <"$unpacked/README.txt" | awk -v intro="$1" '
		$0 == intro { on = 1; next }
		on && /^[^ ]/ { exit }
		on { sub(/^  /, ""); lines[++n] = $0 }
		END {
			first = 1; while (first <= n && lines[first] == "") first++
			while (n >= first && lines[n] == "") n--
			for (i = first; i <= n; i++) print lines[i]
		}'
}

# Run the unpacked hrefgen.exe under Wine on the list $1 (in $unpacked), and
# print its anchor lines without their CR.
convert() {
	local status
	(cd "$unpacked" && ../../tests/wine.sh hrefgen.exe 4096 "$1" example.html >example.log 2>&1 </dev/null)
	status=$?
	if [ $status != 0 ] || [ "$(tr -d '\r' <"$unpacked/example.log")" != "All done, exiting..." ]; then
		echo "hrefgen.exe 4096 $1 example.html under Wine: status $status" >&2
		cat "$unpacked/example.log" >&2
		return 1
	fi
	tr -d '\r' <"$unpacked/example.html"
}

# Check README.txt's example against the bundled links.txt and hrefgen.exe.
check_example() {
	local shown_list shown_anchors list anchors ok=0
	shown_list=$(example_block "The bundled links.txt begins:")
	shown_anchors=$(example_block "and hrefgen.exe 4096 links.txt links.html gives a links.html that begins:")
	echo "--- README.txt's example: $(wc -l <<<"$shown_list") lines of links.txt, $(wc -l <<<"$shown_anchors") anchor lines"
	# shellcheck disable=SC2015 # the message is for either block missing
	[ -n "$shown_list" ] && [ -n "$shown_anchors" ] || { echo "README.txt shows no example"; return 1; }
	list=$(tr -d '\r' <"$unpacked/links.txt" | head -n "$(wc -l <<<"$shown_list")")
	[ "$list" = "$shown_list" ] || { echo "README.txt's lines of links.txt are not its first lines"; ok=1; }
	printf '%s\n' "$shown_list" >"$unpacked/shown.txt"
	anchors=$(convert shown.txt) || return 1
	[ "$anchors" = "$shown_anchors" ] || { echo "README.txt's anchor lines are not what hrefgen.exe makes of its lines of links.txt"; ok=1; }
	anchors=$(convert links.txt | head -n "$(wc -l <<<"$shown_anchors")") || return 1
	[ "$anchors" = "$shown_anchors" ] || { echo "README.txt's anchor lines are not the first that hrefgen.exe makes of links.txt"; ok=1; }
	[ $ok = 0 ] || diff <(echo "$shown_anchors") <(echo "$anchors")
	return $ok
}

# Open the page $1 in headless Chromium, with a script after it that checks
# that it shows more than 3,000 links, one a line, and the descriptions of
# many.txt in their own letters.
check_page() {
	local profile result
	profile=$(mktemp -d)
	cat "$1" - >"$1.checked.html" <<'HTML'
<script>
const links = Array.from(document.querySelectorAll('a'));
const tops = links.map(a => a.getBoundingClientRect().top);
const shown = ['Café crème', 'Привет, мир', '日本語のページ'].every(
	text => links.some(a => a.textContent === text));
const lines = tops.every((top, i) => i === 0 || top > tops[i - 1]);
document.title = (links.length > 3000 && lines && shown ? 'PAGE-OK' : 'PAGE-WRONG') +
	` links=${links.length} one-a-line=${lines} letters=${shown}`;
</script>
HTML
	result=$(chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
		--disable-background-networking --disable-component-update --disable-sync \
		--user-data-dir="$profile" --dump-dom "file://$PWD/$1.checked.html" 2>/dev/null |
		sed -n 's/.*<title>\(PAGE-[^<]*\)<.*/\1/p')
	rm -rf "$profile"
	echo "--- $1 in Chromium: ${result:-no result}"
	[ "${result%% *}" = PAGE-OK ]
}

# Make a page of a list of 3,600 links and, after them, accented, Cyrillic and
# Japanese descriptions, as README.txt says (the join under Wine's cmd) and as
# README.md says (a Linux shell), and check both in Chromium.
check_pages() {
	if ! command -v chromium >/dev/null; then
		bash tests/missing.sh "the web page recipes" "chromium (apt-get install chromium)"
		[ $? = 77 ]
		return
	fi
	local join recipe linux=$unpacked/linux
	perl -e 'print "http://example.org/$_  Link $_\n" for 1 .. 3600;
		print "http://example.org/a  Café crème\nhttp://example.org/b  Привет, мир\nhttp://example.org/c  日本語のページ\n"' |
		tee "$unpacked/many.txt" | sed 's/$/\r/' >"$unpacked/many-crlf.txt"
	convert many-crlf.txt >/dev/null && mv "$unpacked/example.html" "$unpacked/links.html" || return 1
	join=$(tr -d '\r' <"$unpacked/README.txt" | sed -n 's/^  In cmd: *\(copy .*page\.html\)$/\1/p')
	[ -n "$join" ] || { echo "README.txt shows no cmd line that makes page.html"; return 1; }
	(cd "$unpacked" && ../../tests/wine.sh cmd /c "$join" >/dev/null 2>&1 </dev/null)
	recipe=$(awk -v section="## From a list to a web page" -f tests/readme-blocks.awk README.md)
	# shellcheck disable=SC2015 # the message is for any of the three failing
	mkdir -p "$linux" && build/dist-linux/hrefgen 4096 "$unpacked/many.txt" "$linux/links.html" >/dev/null &&
		(cd "$linux" && bash -c "$recipe") || { echo "README.md's page recipe failed: $recipe"; return 1; }
	check_page "$unpacked/page.html" && check_page "$linux/page.html"
}

for deb in "$dist"/hrefgen_*.deb; do check_libc6 "$deb" && lint_deb "$deb" || exit 1; done
[ "${1:-}" != --deb ] || exit 0
# The terminal cases need tests/pty_feed, built for this machine.
pty_feed=build/ci/tests/pty_feed
{ cmake --preset ci && cmake --build --preset ci --target pty_feed_program; } >/dev/null || exit 1
for archive in "$dist"/hrefgen-*-linux-*.tar.gz; do check_archive "$archive" || exit 1; done
check_zip "$(ls $dist/hrefgen-*-win64.zip)" || exit 1
check_manual_text "$(ls $dist/hrefgen-*-win64.zip)" || exit 1
tests/wine.sh --start || exit 1
check_example && check_pages
status=$?
tests/wine.sh --stop
[ $status = 0 ] && rm -rf "$unpacked"
exit $status
