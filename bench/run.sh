#!/usr/bin/env bash
# Time hrefgen against the tools people would use instead, on a 200 MB link list
# and on one 16 MB link line, and print wall times, ratios and peak memory.
#
# usage: bench/run.sh [HREFGEN]   (default: build the release preset and use it)
# Needs hyperfine and GNU time; python3 and Wine are used when present.
# The files go to a tmpfs (/dev/shm) where there is one, so that the disk's
# write-back does not swamp the figures; BENCH_DIR overrides.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
if [ $# -ge 1 ]; then
	hrefgen=$(realpath "$1")
else
	cmake --preset release >/dev/null && cmake --build --preset release >/dev/null
	hrefgen=$root/build/release/hrefgen
fi
dir=${BENCH_DIR:-$([ -d /dev/shm ] && echo /dev/shm/hrefgen-bench || echo "${TMPDIR:-/tmp}/hrefgen-bench")}
mkdir -p "$dir"
cd "$dir"
runs=${BENCH_RUNS:-5}
limit=4096
long_limit=17000000

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "files in: $dir"
[ -s list.txt ] || perl "$root/bench/make_inputs.pl" list 200000000 >list.txt
[ -s long.txt ] || perl "$root/bench/make_inputs.pl" long 16000000 >long.txt
# GNU sed takes about ten times as long as the rest: it gets a line-aligned 20 MB slice.
[ -s slice.txt ] || head -n 256000 list.txt >slice.txt
echo "inputs: list.txt $(wc -c <list.txt) bytes in $(wc -l <list.txt) lines;" \
	"long.txt one line of $(wc -c <long.txt) bytes; slice.txt $(wc -c <slice.txt) bytes"

# The same conversion in each tool (read limit large enough for every line).
cat >convert.awk <<'AWK'
{
	i = index($0, "http://")
	if (i) {
		s = substr($0, i)
		j = index(s, " ")
		if (j) { h = substr(s, 1, j - 1); t = substr(s, j); sub(/^ +/, "", t) } else { h = s; t = "" }
		print "<a href=\"" h "\">" t "</a>"
	}
}
AWK
cat >convert.pl <<'PERL'
while (<>) { print "<a href=\"$1\">", ($2 // ""), "</a>\n" if m{(http://[^ \n]*)(?: +([^\n]*))?} }
PERL
cat >convert.py <<'PY'
import re, sys
link = re.compile(rb"(http://[^ \n]*)(?: +([^\n]*))?")
out = sys.stdout.buffer
for line in sys.stdin.buffer:
    m = link.search(line)
    if m:
        out.write(b'<a href="%s">%s</a>\n' % (m.group(1), m.group(2) or b""))
PY
cat >convert.sed <<'SED'
/http:\/\//{
s/http:\/\//\x01&/
s/^[^\x01]*\x01//
s/^\([^ ]*\)\( \+\(.*\)\)\?$/<a href="\1">\3<\/a>/p
}
SED

declare -A command
on_list="$hrefgen $limit list.txt out.html >/dev/null"
command[hrefgen]=$on_list
command[mawk]="mawk -f convert.awk list.txt >out.html"
command[perl]="perl convert.pl list.txt >out.html"
command[python3]="python3 convert.py <list.txt >out.html"
# cat copies the list: into a file of its own, since hrefgen refuses an
# output that holds the list.
command[cat]="cat list.txt >copy.txt"
tools=(hrefgen mawk perl python3 cat)
command_on_slice() { echo "${command[$1]//list.txt/slice.txt}"; }

# Keep only the tools on this machine, and check each gives hrefgen's bytes.
eval "${command[hrefgen]}" && mv out.html want.html
eval "$(command_on_slice hrefgen)" && mv out.html want-slice.html
present=()
for tool in "${tools[@]}"; do
	if [ "$tool" != hrefgen ] && ! command -v "$tool" >/dev/null; then
		echo "($tool is not installed: left out)"
		continue
	fi
	if [ "$tool" != cat ]; then
		eval "${command[$tool]}"
		cmp -s out.html want.html || { echo "$tool's output differs from hrefgen's" >&2; exit 1; }
	fi
	present+=("$tool")
done
LC_ALL=C sed -n -f convert.sed slice.txt >out.html
cmp -s out.html want-slice.html || { echo "sed's output differs from hrefgen's" >&2; exit 1; }
echo "every tool's output is byte for byte hrefgen's"

# Time a set of named commands with hyperfine; print wall times relative to the first.
time_commands() {
	local title=$1 json=$2
	shift 2
	local args=() name
	for name in "$@"; do args+=(-n "$name" "${command[$name]}"); done
	hyperfine -S bash -w 2 -r "$runs" --export-json "$json" "${args[@]}" >/dev/null 2>&1
	echo
	echo "$title"
	perl -MJSON::PP -e '
		my $r = decode_json(do { local $/; <STDIN> })->{results};
		my $base = $r->[0]{mean};
		printf "| %-11s | %8s | %7s | %19s |\n", "tool", "wall (s)", "± (s)", "relative to hrefgen";
		printf "|-------------|----------|---------|---------------------|\n";
		printf "| %-11s | %8.3f | %7.3f | %19.2f |\n", $_->{command}, $_->{mean}, $_->{stddev}, $_->{mean} / $base for @$r;
	' <"$json"
}

time_commands "200 MB link list ($runs runs each, read limit $limit):" list.json "${present[@]}"

command[hrefgen]=$(command_on_slice hrefgen)
command[sed]="LC_ALL=C sed -n -f convert.sed slice.txt >out.html"
time_commands "20 MB slice of it, for GNU sed:" slice.json hrefgen sed

# The Windows build under Wine, on the list and on the long line.
exe=$root/build/windows/hrefgen.exe
long_tools=(hrefgen)
if [ -x "$exe" ] && [ -x /usr/lib/wine/wine64 ]; then
	"$root/tests/wine.sh" --start
	command[hrefgen]=$on_list
	command[hrefgen.exe]="$root/tests/wine.sh $exe $limit list.txt out.html >/dev/null"
	time_commands "200 MB link list, hrefgen.exe under Wine ($runs runs each, read limit $limit):" \
		wine.json hrefgen hrefgen.exe
	command[hrefgen.exe]="$root/tests/wine.sh $exe $long_limit long.txt out.html >/dev/null"
	long_tools+=(hrefgen.exe)
else
	echo "(no build/windows/hrefgen.exe or no Wine: the Windows build is not timed)"
fi
command[hrefgen]="$hrefgen $long_limit long.txt out.html >/dev/null"
time_commands "16 MB link line (read limit $long_limit; hrefgen.exe under Wine):" long.json "${long_tools[@]}"
[ "${#long_tools[@]}" = 1 ] || "$root/tests/wine.sh" --stop

echo
echo "peak memory (maximum resident set size):"
peak() { /usr/bin/time -f '%M' bash -c "$1" 2>&1 >/dev/null | tail -1; }
command[hrefgen]=$on_list
for tool in "${present[@]}"; do
	printf '  %-8s %8s KiB  (200 MB list)\n' "$tool" "$(peak "${command[$tool]}")"
done
printf '  %-8s %8s KiB  (16 MB line; bound: read limit + twice the line + 4 MiB = %s KiB)\n' hrefgen \
	"$(peak "$hrefgen $long_limit long.txt out.html")" \
	$(((long_limit + 2 * $(wc -c <long.txt)) / 1024 + 4096))
rm -f out.html copy.txt
