#!/usr/bin/env bash
# Black-box cases for hrefgen, one line per case, grouped by topic.
#
# usage: cases.sh [--topic TOPIC] PLATFORM COMMAND...
#   TOPIC     run only the cases of that topic (the table's groups, each begun
#             by a line 'topic NAME'); all of them without it
#   PLATFORM  posix (no text-mode translation) or windows (CR LF text mode)
#   COMMAND   how to start hrefgen, e.g. build/hrefgen or tests/wine.sh build/hrefgen.exe
#
# Each case runs in a fresh empty folder holding the file 'in'.
#   t ARGS INPUT STDOUT STATUS OUTPUT
#     ARGS    the arguments after the program name, in shell quoting
#     INPUT   the bytes of 'in' as printf %b escapes, or - for no 'in'
#     STDOUT  the expected standard output, as printf %b escapes
#     STATUS  the expected exit status
#     OUTPUT  the expected bytes of 'out' as printf %b escapes, - when 'out' must not exist,
#             = when it must hold the bytes of INPUT untouched, =FILE for the bytes of FILE
#             untouched, or @FILE for the bytes of FILE as written in text mode (FILE made
#             by prep in the case folder), or * when the output is not checked
#   Set before t, for that case only:
#     prep=SHELL   run in the case folder before hrefgen (and in its shell: vm_limit works)
#     check=FILE   compare FILE instead of 'out'
#     on=PLATFORM  run the case only on that platform
#     heavy=1      a case too large for memcheck: skipped when HREFGEN_CASES_LIGHT=1
#     nonroot=1    a case about permissions: skipped, saying so, when run as root
#     mounts=1     a case that mounts file systems, attaches a loop device or makes a device
#                  node in its folder: run only when HREFGEN_TEST_MOUNTS=1 (as CI sets it),
#                  and as root; what it mounted is undone after the case
#     fuse=PROGRAM a mounts=1 case that mounts with the FUSE program PROGRAM (its package's
#                  name too): skipped, saying so, where /dev/fuse is missing
#     nodev=1      a mounts=1 case whose tool runs in a mount namespace of its own, with an
#                  empty /dev, as in a bare chroot or container
#     vmlimit=1    a case that limits memory with vm_limit: skipped when HREFGEN_CASES_NO_VMLIMIT=1
#                  (sanitizers and valgrind need more address space than any such limit)
#     eio=N        the input's Nth read system call fails with EIO (strace's fault injection):
#                  skipped when HREFGEN_CASES_NO_STRACE=1 (valgrind makes read calls of its own)
#     terminal=TEXT  'term' is a pseudo-terminal in raw mode holding TEXT, hung up once read
#                  (tests/pty_feed, found through HREFGEN_PTY_FEED)
#     eof_terminal=TEXT  'term' is a pseudo-terminal that takes lines, holding TEXT and then
#                  end-of-file; what hrefgen writes to it is saved in 'term.out'
#     timeout=N    hrefgen is stopped after N seconds, and the case fails
#   A case whose tool is missing is skipped, saying so, or fails when HREFGEN_REQUIRE_ALL=1;
#   tests/install-deps.sh installs every tool.
# The exit status is 1 when a case failed, else 77 when a case could not run
# for want of something this machine lacks or forbids, else 0.
# On windows every newline expected on standard output or in the output file
# is CR LF, as the text mode writes it. Names in messages are UTF-8 bytes on
# every platform and in every code page.
set -u
only=
if [ "${1:-}" = --topic ]; then
	only=$2
	shift 2
fi
platform=$1
shift
tool=("$@")
# Cases run in folders of their own: a relative path to the tool must not depend on that.
for i in "${!tool[@]}"; do
	[[ ${tool[i]} == */* && ${tool[i]} != /* && -e ${tool[i]} ]] && tool[i]=$PWD/${tool[i]}
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0 skipped=0 unmet=0 count=0 topic= topics=

# Begin the cases of topic $1.
topic() {
	topic=$1
	topics="$topics $1"
}

# Copy file $1 to file $2, with CR LF newlines on windows.
expect_file() {
	if [ "$platform" = windows ]; then
		perl -pe 's/\n/\r\n/g' "$1" >"$2"
	else
		cp "$1" "$2"
	fi
}

# Write printf escapes $1 to file $2, with CR LF newlines on windows.
expect_bytes() {
	printf '%b' "$1" >"$2.raw"
	expect_file "$2.raw" "$2"
}

# Print $1 x's.
xs() {
	head -c "$1" /dev/zero | tr '\0' x
}

# Write to 'in' a link line, one whose text is $1 x's, and another link line,
# and to 'in1' the first line alone; with a second argument nospace, the x's
# follow the marker as its address.
big_line_between() {
	printf 'http://a b\n' >in1
	{
		printf 'http://a b\n'
		if [ "${2:-}" = nospace ]; then printf 'http://'; else printf 'http://big '; fi
		xs "$1"
		printf '\nhttp://c d\n'
	} >in
}

# Write to 'in' one link line whose text is $1 x's, and to 'want' its anchor
# line, or the anchor line of its first $2 x's when given.
long_link_line() {
	{ printf 'http://a '; xs "$1"; printf '\n'; } >in
	{ printf '<a href="http://a">'; xs "${2:-$1}"; printf '</a>\n'; } >want
}

# Write to 'in' a link line whose byte at offset 65536, the first that the
# stream's 64 KiB buffer holds once refilled, is a newline ($1 = newline) or
# the space after the address ($1 = space), then another link line; and to
# 'want' their anchor lines.
at_refill() {
	local filler
	filler=$(xs $((65536 - 9)))
	if [ "$1" = newline ]; then
		printf 'http://a %s\nhttp://c d\n' "$filler" >in
		printf '<a href="http://a">%s</a>\n<a href="http://c">d</a>\n' "$filler" >want
	else
		printf 'http://ab%s text\nhttp://c d\n' "$filler" >in
		printf '<a href="http://ab%s">text</a>\n<a href="http://c">d</a>\n' "$filler" >want
	fi
}

# Make 'in' a running program, which no one may open for writing, and keep
# a copy of it. Waits until the program runs: were the tool to open 'in'
# first, the program would fail to start ("Text file busy").
busy_in() {
	cp /bin/sleep in && cp in copy || return
	./in 5 &
	local tries
	for tries in $(seq 500); do
		[ /proc/$!/exe -ef in ] && return
		sleep 0.01
	done
	return 1
}

# Write to 'in' $1 link lines of 16 bytes, to 'in1' one of them, and to 'want'
# their anchor lines.
link_lines() {
	printf 'http://a bcdefg\n' >in1
	yes 'http://a bcdefg' | head -n "$1" >in
	yes '<a href="http://a">bcdefg</a>' | head -n "$1" >want
}

# The number of read system calls the tool makes before it opens its input.
reads_before_input() {
	if [ -z "${reads_before_input:-}" ]; then
		strace -qq -o "$work/reads" -e trace=openat,open,read "${tool[@]}" 80 "$work/marker" out >/dev/null
		reads_before_input=$(awk -v marker="$work/marker" \
			'index($0, marker) { print n + 0; exit } /^read\(/ { n++ }' "$work/reads")
	fi
	echo "$reads_before_input"
}

# Tell whether the cases may mount file systems and attach loop devices here.
can_mount() {
	if [ -z "${can_mount:-}" ]; then
		can_mount=no
		mkdir -p "$work/mnt" && mount -t tmpfs tmpfs "$work/mnt" 2>/dev/null &&
			umount "$work/mnt" && losetup -f >/dev/null 2>&1 && can_mount=yes
	fi
	[ "$can_mount" = yes ]
}

# Remove the case folder $1, undoing first what a mounts=1 case mounted in it.
remove_case() {
	[ -z "${mounts:-}" ] ||
		awk -v dir="$1/" 'index($2, dir) == 1 { print $2 }' /proc/self/mounts | sort -r |
		while read -r point; do umount "$point"; done
	rm -rf "$1"
}

# Limit the tool's memory to $1 KiB: natively its address space, with ulimit
# -v. Under qemu, ulimit -v leaves qemu itself no room and it hangs. qemu 8
# and later are limited in their data (ulimit -d), which grows by what the
# guest maps; their own limit on the guest (QEMU_RESERVED_VA) holds a second
# mapping as large as the first for free. qemu 7 fails under ulimit -d, and
# takes that limit on its guest, whose stack is cut from the 8 MiB that qemu
# maps up front to 1 MiB, plenty for hrefgen.
vm_set() {
	if [[ ${tool[0]##*/} != qemu-* ]]; then
		ulimit -v "$1"
	elif [ "$("${tool[0]}" --version | sed -n '1s/.* version \([0-9]*\).*/\1/p')" -ge 8 ]; then
		ulimit -d "$1"
	else
		export QEMU_RESERVED_VA=$(($1 * 1024)) QEMU_STACK_SIZE=1048576
	fi
}

# Limit the tool's address space to $2 KiB more than a run with the read limit
# and input $1 needs, found by bisection to within 256 KiB: the limits follow
# what this build, its C library and its emulator really take (from 3 MB for
# a native run to 150 MB for qemu 10 and its guest).
vm_limit() {
	local low=0 high=4194304 middle
	while [ $((high - low)) -gt 256 ]; do
		middle=$(((low + high) / 2))
		# A try that dies of a signal is reported by this shell, on its own standard error.
		# shellcheck disable=SC2086 # $1 is the two arguments
		if { (vm_set "$middle" && exec "${tool[@]}" $1 "$work/vm.out") >/dev/null 2>&1; } 2>/dev/null; then
			high=$middle
		else
			low=$middle
		fi
	done
	vm_set $((high + $2))
}

# Report that the case at line $1 needs $2, which is missing: a skip, or a failure when all is required.
missing() {
	if [ "${HREFGEN_REQUIRE_ALL:-0}" = 1 ]; then
		echo "FAIL line $1: needs $2"
		failed=$((failed + 1))
	else
		unmet "$1" "needs $2"
	fi
}

# Skip the case at line $1, which cannot run here for the reason $2: the
# table then exits 77, which CTest shows as a skip.
unmet() {
	echo "SKIP line $1: $2"
	skipped=$((skipped + 1)) unmet=$((unmet + 1))
}

# Show how got and want differ, byte by byte: their first 512 bytes.
dump() {
	echo "  $1 got:"
	od -A d -t x1z -v -N 512 "$2" | sed 's/^/    /'
	echo "  $1 want:"
	od -A d -t x1z -v -N 512 "$3" | sed 's/^/    /'
}

# Run one case, as the columns above say, and report it when it fails.
t() {
	local args=$1 input=$2 stdout=$3 status=$4 output=$5
	# The line in the table that wrote the case, also through a helper such as named.
	local line=${BASH_LINENO[-2]}
	[ -z "$only" ] || [ "$topic" = "$only" ] || return 0
	count=$((count + 1))
	if { [ -n "${on:-}" ] && [ "$on" != "$platform" ]; } ||
		{ [ -n "${heavy:-}" ] && [ -n "${HREFGEN_CASES_LIGHT:-}" ]; } ||
		{ [ -n "${vmlimit:-}" ] && [ -n "${HREFGEN_CASES_NO_VMLIMIT:-}" ]; } ||
		{ [ -n "${eio:-}" ] && [ -n "${HREFGEN_CASES_NO_STRACE:-}" ]; }; then
		skipped=$((skipped + 1))
		return
	fi
	if [ -n "${nonroot:-}" ] && [ "$(id -u)" = 0 ]; then
		echo "SKIP line $line: hrefgen $args: running as root, which may write anywhere"
		skipped=$((skipped + 1))
		return
	fi
	if [ -n "${mounts:-}" ] && [ "${HREFGEN_TEST_MOUNTS:-0}" != 1 ]; then
		unmet "$line" "hrefgen $args: mounts file systems, which only HREFGEN_TEST_MOUNTS=1 allows"
		return
	fi
	if [ -n "${mounts:-}" ] && ! can_mount; then
		missing "$line" "root, allowed to mount and attach loop devices"
		return
	fi
	if [ -n "${fuse:-}" ]; then
		command -v "$fuse" >/dev/null || { missing "$line" "$fuse"; return; }
		[ -c /dev/fuse ] || { unmet "$line" "hrefgen $args: needs FUSE, and this machine has no /dev/fuse"; return; }
	fi
	local wrap=()
	if [ -n "${eio:-}" ]; then
		command -v strace >/dev/null || { missing "$line" "strace"; return; }
		# LeakSanitizer cannot work under a tracer: such a run goes without it.
		wrap=(env ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
			strace -qq -o /dev/null -e trace=read
			-e inject=read:error=EIO:when=$(($(reads_before_input) + eio)))
	fi
	if [ -n "${terminal:-}${eof_terminal:-}" ]; then
		[ -x "${HREFGEN_PTY_FEED:-}" ] || { missing "$line" "tests/pty_feed, built by CMake"; return; }
		if [ -n "${terminal:-}" ]; then
			wrap=("$HREFGEN_PTY_FEED" "$terminal" term)
		else
			local text
			printf -v text '%b' "$eof_terminal"
			wrap=("$HREFGEN_PTY_FEED" -e term.out "$text" term)
		fi
	fi
	# Only /dev is made private: in a chroot, / may be no mount point at all.
	[ -z "${nodev:-}" ] || wrap=(unshare --mount --propagation unchanged sh -c \
		'mount --make-rprivate /dev && mount -t tmpfs tmpfs /dev && exec "$@"' sh "${wrap[@]}")
	[ -z "${timeout:-}" ] || wrap=(timeout -k 1 "$timeout" "${wrap[@]}")
	local dir=$work/$count argv got_status attempt
	eval "argv=($args)"
	for attempt in 1 2 3; do
		remove_case "$dir" && mkdir "$dir"
		[ "$input" = - ] || printf '%b' "$input" >"$dir/in"
		(cd "$dir" && eval "${prep:-:}" && exec "${wrap[@]}" "${tool[@]}" "${argv[@]}") \
			>"$work/stdout" 2>"$work/stderr" </dev/null
		got_status=$?
		# Now and then Wine fails to start a program at all: status 1 and not a
		# byte of output, which hrefgen never gives. Such a case runs again.
		[ "$platform" = windows ] && [ "$got_status" = 1 ] && [ ! -s "$work/stdout" ] &&
			[ ! -s "$work/stderr" ] && [ "$attempt" != 3 ] || break
		echo "RETRY line $line: hrefgen $args: Wine started nothing (status 1, no output)"
	done
	expect_bytes "$stdout" "$work/want_stdout"
	local ok=1 why=
	[ "$got_status" = "$status" ] || { ok=0; why="$why status $got_status, want $status;"; }
	cmp -s "$work/stdout" "$work/want_stdout" || { ok=0; why="$why stdout differs;"; }
	[ -s "$work/stderr" ] && { ok=0; why="$why wrote to stderr;"; }
	local file=$dir/${check:-out}
	if [ "$output" = '*' ]; then
		:
	elif [ "$output" = - ]; then
		[ -e "$file" ] && { ok=0; why="$why ${check:-out} exists;"; }
	else
		if [ "$output" = = ]; then
			printf '%b' "$input" >"$work/want_output"
		elif [ "${output#=}" != "$output" ]; then
			cp "$dir/${output#=}" "$work/want_output"
		elif [ "${output#@}" != "$output" ]; then
			expect_file "$dir/${output#@}" "$work/want_output"
		else
			expect_bytes "$output" "$work/want_output"
		fi
		if [ ! -e "$file" ]; then
			ok=0; why="$why ${check:-out} missing;"
		elif ! cmp -s "$file" "$work/want_output"; then
			ok=0; why="$why ${check:-out} differs;"
		fi
	fi
	if [ $ok = 1 ]; then
		passed=$((passed + 1))
		remove_case "$dir"
		return
	fi
	failed=$((failed + 1))
	echo "FAIL line $line: hrefgen $args:$why"
	cmp -s "$work/stdout" "$work/want_stdout" || dump stdout "$work/stdout" "$work/want_stdout"
	[ -s "$work/stderr" ] && sed 's/^/  stderr: /' "$work/stderr"
	if [ "$output" != - ] && [ -e "$file" ] && ! cmp -s "$file" "$work/want_output"; then
		dump "${check:-out}" "$file" "$work/want_output"
	fi
	remove_case "$dir"
}

# Messages.
USAGE='To few arguments specified.\nUsage: hrefgen.exe MAX_LINE_LENGHT INPUT_FILE OUTPUT_FILE\n'
DONE='All done, exiting...\n'
NOMEM='Unable to allocate memory, aborting!\n'
READ1='Error reading line from input file in line 1, aborting!\n'
# The refusal to overwrite the input, for the output path $1.
same() { printf 'Error opening output file %s: it is the input file, aborting!\\n' "${1//\\/\\\\}"; }
X10=xxxxxxxxxx
# A link line of 50 characters: read whole at limit 51, in two pieces at limit 40.
LONG="http://a $X10$X10$X10$X10\n"
A30="<a href=\"http://a\">$X10$X10$X10</a>\n"
A40="<a href=\"http://a\">$X10$X10$X10$X10</a>\n"
AB='<a href="http://a">b</a>\n'

topic arguments
# Arguments.
t '' - "$USAGE" 1 -
t '80' - "$USAGE" 1 -
t '80 in' 'http://a b\n' "$USAGE" 1 -
t '80 in out extra more' 'http://a b\n' "$DONE" 0 "$AB"

topic read-limit
# Read limit: atoi rules, 32-bit wrap-around, no range check.
t '51 in out' "$LONG" "$DONE" 0 "$A40"
t '40 in out' "$LONG" "$DONE" 0 "$A30"
t "' +40' in out" "$LONG" "$DONE" 0 "$A30"
t $'"\t\n\v\f\r40" in out' "$LONG" "$DONE" 0 "$A30"
t $'"\b40" in out' "$LONG" "$READ1" 1 ''
t $'"\x0e40" in out' "$LONG" "$READ1" 1 ''
t '40x in out' "$LONG" "$DONE" 0 "$A30"
t '0040 in out' "$LONG" "$DONE" 0 "$A30"
t '４０ in out' "$LONG" "$READ1" 1 ''
t '4294967336 in out' "$LONG" "$DONE" 0 "$A30"
t '0 in out' "$LONG" "$READ1" 1 ''
t '-0 in out' "$LONG" "$READ1" 1 ''
t 'abc in out' "$LONG" "$READ1" 1 ''
t "'' in out" "$LONG" "$READ1" 1 ''
t '+-40 in out' "$LONG" "$READ1" 1 ''
t "' 'x40 in out" "$LONG" "$READ1" 1 ''
t '1 in out' "$LONG" "$READ1" 1 ''
t '-4294967295 in out' "$LONG" "$READ1" 1 ''
t '0 in out' '' "$READ1" 1 ''
prep='printf old >out' t '1 in out' '' "$READ1" 1 ''
t '-1 in out' "$LONG" "$NOMEM" 1 -
t '-1 nope out' - "$NOMEM" 1 -
prep='printf old >out' t '-40 in out' "$LONG" "$NOMEM" 1 'old'
t '2147483648 in out' "$LONG" "$NOMEM" 1 -
t '-2147483648 in out' "$LONG" "$NOMEM" 1 -
t '4294967295 in out' "$LONG" "$NOMEM" 1 -
heavy=1 t '2147483647 in out' "$LONG" "$DONE" 0 "$A40"

topic files
# Files.
t '80 nope out' - 'Error opening input file nope, aborting!\n' 1 -
prep='printf old >out' t '80 nope out' - 'Error opening input file nope, aborting!\n' 1 'old'
t '80 in no/such/out' 'http://a b\n' 'Error opening output file no/such/out, aborting!\n' 1 -
t '80 in out' '' "$DONE" 0 ''
prep='printf "old stuff, longer than what replaces it\\n" >out' t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
prep=': >out' t '80 in out' '' "$DONE" 0 ''
prep='mkdir sub' check=sub/out t '80 in sub/out' 'http://a b\n' "$DONE" 0 "$AB"
t '80 %s%n%d %n%s' - 'Error opening input file %s%n%d, aborting!\n' 1 -
prep='cp in %n' check=%s%d t '80 %n %s%d' 'http://%s%n b\n' "$DONE" 0 '<a href="http://%s%n">b</a>\n'
prep='mkdir sub' t '80 in sub/%s%n/out' 'x\n' 'Error opening output file sub/%s%n/out, aborting!\n' 1 -
# Standard output's own file as the output: the anchor lines, then the
# message, neither written over the other; what it held before standard
# output was opened to append to it, or what was written through it before,
# stays.
prep='exec >page' check=page t '80 in page' 'http://a b\n' '' 0 "$AB$DONE"
on=posix prep='exec >page' check=page t '80 in /dev/stdout' 'http://a b\n' '' 0 "$AB$DONE"
prep='printf "<ul>" >page && exec >>page' check=page t '80 in page' 'http://a b\n' '' 0 "<ul>$AB$DONE"
prep='exec >page && printf "<ul>"' check=page t '80 in page' 'http://a b\n' '' 0 "<ul>$AB$DONE"

topic same-file
# The output names the input file: refused, the input left as it was. Only
# a terminal or another character device may be both.
check=in t '80 in in' 'http://a b\n' "$(same in)" 1 =
check=in t '80 in ./in' 'http://a b\n' "$(same ./in)" 1 =
prep='mkdir sub' check=in t '80 in sub/../in' 'http://a b\n' "$(same sub/../in)" 1 =
prep='mkdir sub' check=in t '80 sub/../in ./in' 'http://a b\n' "$(same ./in)" 1 =
prep='ln in out' t '80 in out' 'http://a b\n' "$(same out)" 1 =
on=posix prep='ln -s in out' t '80 in out' 'http://a b\n' "$(same out)" 1 =
on=posix prep='ln -s in out' check=in t '80 out in' 'http://a b\n' "$(same in)" 1 =
on=posix prep='mkdir sub && ln -s ../in sub/link' check=in t '80 in sub/link' 'http://a b\n' "$(same sub/link)" 1 =
on=windows check=in t '80 in IN' 'http://a b\n' "$(same IN)" 1 =
on=windows check=in t '80 in .\\in' 'http://a b\n' "$(same '.\in')" 1 =
# An input that cannot be opened for writing still gets this message: one
# that is read-only, or a program that is running (which even root cannot write).
nonroot=1 prep='chmod 444 in' check=in t '80 in in' 'http://a b\n' "$(same in)" 1 =
on=posix prep=busy_in check=in t '80 in in' - "$(same in)" 1 =copy
# Names longer than MAX_PATH (260), which only the wide calls open.
# A name of $1 characters for 'in': .\ repeated, after sub\..\ for an odd length.
long_name() {
	local head='' name=in
	[ $(($1 % 2)) = 0 ] || head='sub\..\'
	while [ $((${#head} + ${#name})) -lt "$1" ]; do name=.\\$name; done
	printf '%s%s' "$head" "$name"
}
for length in 259 260 261 400; do
	name=$(long_name $length)
	on=windows prep='mkdir sub' check=in t "80 in '$name'" 'http://a b\n' "$(same "$name")" 1 =
done
# The same FIFO or pipe: refused at once, not left waiting for its own output.
on=posix timeout=20 prep='mkfifo f && { printf "http://a b\n" >f & }' t '80 f f' - "$(same f)" 1 -
on=posix timeout=20 prep='exec < <(printf "http://a b\n")' t '80 /dev/stdin /dev/stdin' - "$(same /dev/stdin)" 1 -
on=posix timeout=20 prep='exec < <(printf "http://a b\n")' t '80 /dev/stdin /proc/self/fd/0' - "$(same /proc/self/fd/0)" 1 -
on=posix t '80 /dev/null /dev/null' - "$DONE" 0 -
on=posix timeout=20 eof_terminal='http://a b\nhttp://c d\n' check=term.out t '80 term term' - "$DONE" 0 "$AB"'<a href="http://c">d</a>\n'
# Two regular files that hold the same bytes, or one the start of the other,
# are taken for one file seen twice (as through the views below): a copy of
# the list, or of its start, is refused too.
prep='cp in out' t '80 in out' 'http://a b\n' "$(same out)" 1 =
prep='printf "http://a b" >out' t '80 in out' 'http://a b\n' "$(same out)" 1 'http://a b'
prep='printf "http://a b\nhttp://c d\n" >out && cp out copy' t '80 in out' 'http://a b\n' "$(same out)" 1 =copy
# An overlay's layer and its merged view show one file on two devices: refused
# both ways, for a file of the upper layer, for one only in the lower, for one
# that a change through the view has copied up, and with the lower layer on a
# file system of its own (xino=on). A refusal copies nothing up.
# Mount a tmpfs on 'fs' and an overlay in it, with the mount options $1: 'in'
# copied to the lower layer's file fs/L/low (a tmpfs of its own with xino=on)
# and the upper layer's fs/U/up, both seen in fs/M.
overlay() {
	mkdir fs && mount -t tmpfs tmpfs fs && mkdir fs/L fs/U fs/W fs/M &&
		{ [ "${1:-}" != xino=on ] || mount -t tmpfs tmpfs fs/L; } && cp in fs/L/low && cp in fs/U/up &&
		mount -t overlay overlay -o "lowerdir=fs/L,upperdir=fs/U,workdir=fs/W${1:+,$1}" fs/M
}
# The overlay, with a line appended to fs/M/low, which copies it up to
# fs/U/low; 'want' holds its bytes.
copied_up() {
	overlay && printf 'http://c d\n' >>fs/M/low && cp fs/U/low want
}
mounts=1 prep=overlay check=fs/U/up t '80 fs/U/up fs/M/up' 'http://a b\n' "$(same fs/M/up)" 1 =
mounts=1 prep=overlay check=fs/U/up t '80 fs/M/up fs/U/up' 'http://a b\n' "$(same fs/U/up)" 1 =
mounts=1 prep=overlay check=fs/L/low t '80 fs/M/low fs/L/low' 'http://a b\n' "$(same fs/L/low)" 1 =
mounts=1 prep=overlay check=fs/L/low t '80 fs/L/low fs/M/low' 'http://a b\n' "$(same fs/M/low)" 1 =
mounts=1 prep=overlay check=fs/U/low t '80 fs/L/low fs/M/low' 'http://a b\n' "$(same fs/M/low)" 1 -
mounts=1 prep=copied_up check=fs/U/low t '80 fs/U/low fs/M/low' 'http://a b\n' "$(same fs/M/low)" 1 =want
mounts=1 prep=copied_up check=fs/U/low t '80 fs/M/low fs/U/low' 'http://a b\n' "$(same fs/U/low)" 1 =want
mounts=1 prep='overlay xino=on' check=fs/L/low t '80 fs/M/low fs/L/low' 'http://a b\n' "$(same fs/L/low)" 1 =
mounts=1 prep='overlay xino=on' check=fs/L/low t '80 fs/L/low fs/M/low' 'http://a b\n' "$(same fs/M/low)" 1 =
# FUSE views, right after an edit of the same size, which their caches may not
# show yet: bindfs of a folder, and fuse-overlayfs as rootless containers
# mount it. 'want' holds the edited list.
bindfs_view() {
	mkdir src view && cp in src/in && bindfs src view && stat view/in >/dev/null &&
		printf 'http://c d\n' >src/in && cp src/in want
}
fuse_overlay() {
	mkdir L U W M && fuse-overlayfs -o lowerdir=L,upperdir=U,workdir=W M 2>/dev/null && cp in M/in &&
		stat M/in >/dev/null && printf 'http://c d\n' >M/in && cp U/in want
}
mounts=1 fuse=bindfs prep=bindfs_view check=src/in t '80 view/in src/in' 'http://a b\n' "$(same src/in)" 1 =want
mounts=1 fuse=bindfs prep=bindfs_view check=src/in t '80 src/in view/in' 'http://a b\n' "$(same view/in)" 1 =want
mounts=1 fuse=fuse-overlayfs prep=fuse_overlay check=U/in t '80 M/in U/in' 'http://a b\n' "$(same U/in)" 1 =want
mounts=1 fuse=fuse-overlayfs prep=fuse_overlay check=U/in t '80 U/in M/in' 'http://a b\n' "$(same M/in)" 1 =want
# A loop device shows the bytes of its file: the two are one, both ways, and
# so are two loop devices of one file, even one that starts further in, which
# only the loop driver can tie to the file. 'disk' and 'copy' hold 128
# numbered link lines; 'dev' is a loop device of 'disk' and 'dev2' one that
# starts 512 bytes in, both detached once the tool, which holds them open, ends.
loops() {
	seq -f 'http://a/%04g b' 128 >disk && cp disk copy &&
		ln -s "$(losetup -f --show disk)" dev && ln -s "$(losetup -f --show -o 512 disk)" dev2 &&
		exec 8<dev 9<dev2 && losetup -d "$(readlink dev)" "$(readlink dev2)"
}
on=posix mounts=1 prep=loops check=disk t '80 disk dev' - "$(same dev)" 1 =copy
on=posix mounts=1 prep=loops check=disk t '80 dev disk' - "$(same disk)" 1 =copy
on=posix mounts=1 prep=loops check=disk t '80 dev dev2' - "$(same dev2)" 1 =copy
on=posix mounts=1 prep=loops check=disk t '80 disk dev2' - "$(same dev2)" 1 =copy
# A view of the list that may be written but not read (bindfs -p a-r, as an
# NFS or SMB share of another account can be), the tool run as nobody:
# nothing can be known of it, so it is refused, the list kept.
write_only_view() {
	chmod 755 "$work" . && mkdir real view && cp in real/in && cp in copy && chmod 666 real/in &&
		bindfs -p a-r real view && wrap=(setpriv --reuid=nobody --regid=nogroup --clear-groups "${wrap[@]}")
}
on=posix mounts=1 fuse=bindfs prep=write_only_view check=real/in t '80 real/in view/in' 'http://a b\n' 'Error opening output file view/in, aborting!\n' 1 =copy
# Two files on two devices with the same inode number, size, permissions and
# time stamps, each the first file of a fresh tmpfs, are two files.
two_tmpfs() {
	mkdir a b && mount -t tmpfs tmpfs a && mount -t tmpfs tmpfs b && cp in a/in &&
		printf 'old stuff.\n' >b/out && touch -d @1700000000 a/in b/out &&
		[ "$(stat -c %i.%s.%a a/in)" = "$(stat -c %i.%s.%a b/out)" ]
}
mounts=1 prep=two_tmpfs check=b/out t '80 a/in b/out' 'http://a b\n' "$DONE" 0 "$AB"

topic link-lists
# An existing output is emptied only when it holds nothing the user meant to
# keep: an earlier output, whose every line with "://" is an anchor line, or
# a file without "://". A list or a page of the user's, in any scheme or in
# UTF-16, is refused and both files kept: when the arguments are typed in the
# wrong order, say.
LISTED='Error opening output file out: it holds a link list, aborting!\n'
prep='printf "# C++\nhttp://gcc.gnu.org/  GCC\n" >out && cp out copy' t '80 in out' '<a href="http://gcc.gnu.org/">GCC</a>\n' "$LISTED" 1 =copy
prep='printf "https://a b\n" >out && cp out copy' t '80 in out' 'http://c d\n' "$LISTED" 1 =copy
prep='printf "<ul>\n  <a href=\"http://a\">b</a>\n</ul>\n" >out && cp out copy' t '80 in out' 'http://c d\n' "$LISTED" 1 =copy
prep='printf "<a href=\"http://a\">b</a>\nftp://c d\n" >out && cp out copy' t '80 in out' 'http://c d\n' "$LISTED" 1 =copy
prep='printf "\xff\xfeh\0t\0t\0p\0:\0/\0/\0a\0 \0b\0" >out && cp out copy' t '80 in out' 'http://c d\n' "$LISTED" 1 =copy
# The same command twice: the second run empties the first one's output.
prep='"${tool[@]}" 80 in out >/dev/null' t '80 in out' 'http://a b\nhttp://c d\n' "$DONE" 0 "$AB"'<a href="http://c">d</a>\n'

topic closed-streams
# Standard input, output and error closed at the start: no file opened takes
# their descriptors, so no message lands in the input or the output. (Wine
# takes closed descriptors for pipes of its own and loses the exit status.)
on=posix prep='ln in out && exec 0<&- 1>&-' check=in t '80 in out' 'http://a b\n' '' 1 =
on=posix prep='exec 0<&- 1>&- 2>&-' check=in t '80 in in' 'http://a b\n' '' 1 =
on=posix prep='exec 0<&- 1>&-' t '1 in out' 'http://a b\n' '' 1 ''
# A closed stream stays closed to its names, as for cat: /dev/stdin, /dev/stdout
# and their kin fail to open.
on=posix prep='exec 0<&-' t '80 /dev/stdin out' - 'Error opening input file /dev/stdin, aborting!\n' 1 -
on=posix prep='exec 0<&-' t '80 /proc/self/fd/0 out' - 'Error opening input file /proc/self/fd/0, aborting!\n' 1 -
on=posix prep='exec 1>&-' check=in t '80 in /dev/stdout' 'http://a b\n' '' 1 =
on=posix prep='exec 1>&-' check=in t '80 in /dev/fd/1' 'http://a b\n' '' 1 =
# With no /dev at all, as in a bare chroot, a closed stream is still filled.
on=posix mounts=1 nodev=1 prep='exec 0<&-' t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"

topic quoting
# Arguments as typed, split by the usual rules: spaces inside quotes, a quote
# inside a name, a backslash that ends a quoted name.
prep='mv in "my links.txt"' t "80 'my links.txt' out" 'http://a b\n' "$DONE" 0 "$AB"
t "80 'no\"pe' out" - 'Error opening input file no"pe, aborting!\n' 1 -
prep='mkdir "my dir"' t "80 'my dir\\' out" - 'Error opening input file my dir\\, aborting!\n' 1 -

topic names
# Names beyond ASCII, as the user typed them, in any code page and on every
# Windows version: each is read as input and written under exactly that name,
# and naming it as both input and output is refused. A look-alike, the name a
# lossy conversion would reach, is never read nor written.
# Move 'in' into folder $1, made if need be, and go there.
enter() {
	[ "$1" = . ] || { mkdir -p "$1" && mv in "$1/" && cd "$1"; }
}
# named NAME [LOOK_ALIKE [FOLDER]]: the cases for NAME, run in FOLDER.
named() {
	local name=$1 decoy=${2:-liste-e.txt} folder=${3:-.}
	local setup="printf 'http://decoy x\\n' >'$decoy' && enter '$folder'"
	prep="$setup && mv in '$name'" check=$folder/out t "80 '$name' out" 'http://a b\n' "$DONE" 0 "$AB"
	prep="$setup" check=$folder/$name t "80 in '$name'" 'http://a b\n' "$DONE" 0 "$AB"
	prep="cp in '$decoy' && enter '$folder'" check=$decoy t "80 in '$name'" 'http://a b\n' "$DONE" 0 =
	prep="$setup && mv in '$name'" check=$folder/$name t "80 '$name' '$name'" 'http://a b\n' "$(same "$name")" 1 =
}
named 'Bob’s links.txt'
named 'prix-€.txt'
named 'liste-é.txt'
named 'список.txt'
named '日本語.txt'
named 'emoji-😀.txt'
named 'liste-ő.txt' 'liste-o.txt'
named 'ｌｉｎｋｓ.txt' 'links.txt'
named '..＼victim.txt' 'victim.txt' sub

topic pieces
# Reads in pieces: at most limit - 1 characters each, a newline ends a piece.
t '2 in out' 'http://a b\n' "$DONE" 0 ''
t '7 in out' 'http://a b\nhttp://c d\n' "$DONE" 0 ''
t '8 in out' 'http://a b\n' "$DONE" 0 '<a href="http://"></a>\n'
t '9 in out' 'http://a b\n' "$DONE" 0 '<a href="http://a"></a>\n'
t '10 in out' 'http://a b\n' "$DONE" 0 '<a href="http://a"></a>\n'
t '11 in out' 'http://a b\n' "$DONE" 0 "$AB"
t '12 in out' 'http://a bc\n' "$DONE" 0 '<a href="http://a">bc</a>\n'
t '13 in out' 'http://a bc\n' "$DONE" 0 '<a href="http://a">bc</a>\n'
t '80 in out' 'http://a bc' "$DONE" 0 '<a href="http://a">bc</a>\n'
t '80 in out' 'x\nhttp://a bc' "$DONE" 0 '<a href="http://a">bc</a>\n'
t '3 in out' 'http://a b' "$DONE" 0 ''
t '40 in out' "0123456789012345678901234567890123http://a b\n" "$DONE" 0 ''
t '40 in out' "$LONG$LONG" "$DONE" 0 "$A30$A30"
t '20 in out' "http://a $X10${X10}http://b c\n" "$DONE" 0 '<a href="http://a">xxxxxxxxxx</a>\n<a href="http://b"></a>\n'
# A newline, or the space that ends the address, as the first byte the stream's buffer holds once refilled.
prep='at_refill newline' t '100000 in out' - "$DONE" 0 @want
prep='at_refill space' t '100000 in out' - "$DONE" 0 @want

topic extraction
# Extraction.
t '80 in out' 'no link here\n\n# http:/ nor here\n' "$DONE" 0 ''
t '80 in out' 'some words http://ab  two words\n' "$DONE" 0 '<a href="http://ab">two words</a>\n'
t '80 in out' 'http://a.b\n' "$DONE" 0 '<a href="http://a.b"></a>\n'
t '80 in out' 'http://a.b' "$DONE" 0 '<a href="http://a.b"></a>\n'
t '80 in out' 'http://a.b \n' "$DONE" 0 '<a href="http://a.b"></a>\n'
t '80 in out' 'http://a.b    ' "$DONE" 0 '<a href="http://a.b"></a>\n'
t '80 in out' 'http://\n' "$DONE" 0 '<a href="http://"></a>\n'
t '80 in out' 'http:// b\n' "$DONE" 0 '<a href="http://">b</a>\n'
t '80 in out' 'http://a b c  \n' "$DONE" 0 '<a href="http://a">b c  </a>\n'
t '80 in out' 'http://a\tdesc more\n' "$DONE" 0 '<a href="http://a\tdesc">more</a>\n'
t '80 in out' 'http://a \tb\n' "$DONE" 0 '<a href="http://a">\tb</a>\n'
t '80 in out' 'http://a see http://b c\n' "$DONE" 0 '<a href="http://a">see http://b c</a>\n'
t '80 in out' 'http://a/http://b c\n' "$DONE" 0 '<a href="http://a/http://b">c</a>\n'
t '80 in out' 'HTTP://a b\nhttps://a b\nHttp://a b\nhttp:/a b\n' "$DONE" 0 ''
t '80 in out' 'http://a?x=1&y="2" <b>"Q" & A</b>\n' "$DONE" 0 '<a href="http://a?x=1&y="2""><b>"Q" & A</b></a>\n'
t '80 in out' 'a\nhttp://b c\n\n# d\nx http://e f g\n' "$DONE" 0 '<a href="http://b">c</a>\n<a href="http://e">f g</a>\n'
t '80 in out' 'http://a bc\0de\nhttp://f g\n' "$DONE" 0 '<a href="http://a">bc</a>\n<a href="http://f">g</a>\n'
t '80 in out' 'ab\0http://a b\n' "$DONE" 0 ''
t '80 in out' 'http://a\0 b\n' "$DONE" 0 '<a href="http://a"></a>\n'
t '80 in out' '\0\n\0\0http://a b\n' "$DONE" 0 ''
t '80 in out' 'http://\xc3\xa9t\xe9 \xff\x01\x7f\n' "$DONE" 0 '<a href="http://\xc3\xa9t\xe9">\xff\x01\x7f</a>\n'

topic text-mode
# Text mode: CR LF, lone CR and CTRL-Z. Windows reads CR LF as one newline and
# stops at CTRL-Z; elsewhere every byte passes through as it is.
on=posix t '80 in out' 'http://a b\r\n' "$DONE" 0 '<a href="http://a">b\r</a>\n'
on=windows t '80 in out' 'http://a b\r\n' "$DONE" 0 "$AB"
on=posix t '80 in out' 'http://a\r\n' "$DONE" 0 '<a href="http://a\r"></a>\n'
on=windows t '80 in out' 'http://a\r\n' "$DONE" 0 '<a href="http://a"></a>\n'
t '80 in out' 'http://a b\rc\n' "$DONE" 0 '<a href="http://a">b\rc</a>\n'
t '80 in out' 'http://a\rb c\r' "$DONE" 0 '<a href="http://a\rb">c\r</a>\n'
t '12 in out' 'http://a bc\r\n' "$DONE" 0 '<a href="http://a">bc</a>\n'
on=posix t '13 in out' 'http://a bc\r\n' "$DONE" 0 '<a href="http://a">bc\r</a>\n'
on=windows t '13 in out' 'http://a bc\r\n' "$DONE" 0 '<a href="http://a">bc</a>\n'
on=windows t '13 in out' 'http://a bc\r\nhttp://d e\r\n' "$DONE" 0 '<a href="http://a">bc</a>\n<a href="http://d">e</a>\n'
on=posix t '80 in out' 'http://a b\n\x1ahttp://c d\n' "$DONE" 0 '<a href="http://a">b</a>\n<a href="http://c">d</a>\n'
on=windows t '80 in out' 'http://a b\n\x1ahttp://c d\n' "$DONE" 0 "$AB"
on=posix t '80 in out' 'http://a b\x1ac\nhttp://d e\n' "$DONE" 0 '<a href="http://a">b\x1ac</a>\n<a href="http://d">e</a>\n'
on=windows t '80 in out' 'http://a b\x1ac\nhttp://d e\n' "$DONE" 0 "$AB"

topic devices
# Input and output that are not plain files.
t '80 . out' - 'Error opening input file ., aborting!\n' 1 -
prep='mkdir sub && printf old >out' t '80 sub out' - 'Error opening input file sub, aborting!\n' 1 'old'
t '80 in /dev/full' 'http://a b\n' 'Error writing output file /dev/full, aborting!\n' 1 -
# A write that fails in the read loop ends the run at once: its input's second
# read, which would fail, is never made.
on=posix eio=2 prep='link_lines 20000' t '80 in /dev/full' - 'Error writing output file /dev/full, aborting!\n' 1 -
t '80 in /dev/full' '' "$DONE" 0 -
# An output that cannot seek, and a block device, are written from their start.
on=posix t '80 in /proc/self/comm' 'http://a b\n' "$DONE" 0 -
# Attach a loop device to 'disk', 512 x's, as 'dev', detached once the tool,
# which inherits descriptor 9 on it, ends; 'want' is 'disk' with the anchor
# line of 'in' at its start.
loop_device() {
	xs 512 >disk && ln -s "$(losetup -f --show disk)" dev && exec 9<dev &&
		losetup -d "$(readlink dev)" &&
		{ printf '%s\n' '<a href="http://a">b</a>'; xs $((512 - 25)); } >want
}
on=posix mounts=1 prep=loop_device check=disk t '80 in dev' 'http://a b\n' "$DONE" 0 @want
# A second node of one block device is that device. The loop device of
# loop_device, its list written at its start, and a second node 'dev2' of it;
# 'copy' holds the bytes of 'disk'.
two_nodes() {
	loop_device && printf 'http://a b\n' | dd of=dev conv=notrunc,fsync status=none &&
		mknod dev2 b "$((0x$(stat -L -c %t dev)))" "$((0x$(stat -L -c %T dev)))" && cp disk copy
}
on=posix mounts=1 prep=two_nodes check=disk t '80 dev dev2' - "$(same dev2)" 1 =copy
# A reader that goes away, or a file size limit, is a write error like any other.
on=posix prep='link_lines 20000 && ulimit -f 100' t '80 in out' - 'Error writing output file out, aborting!\n' 1 '*'
on=posix timeout=20 prep='link_lines 20000 && mkfifo of && { head -c 10 of >/dev/null & }' t '80 in of' - 'Error writing output file of, aborting!\n' 1 -
prep='mkdir out' check=in t '80 in out' 'http://a b\n' 'Error opening output file out, aborting!\n' 1 =
on=posix nonroot=1 prep='mkdir ro && chmod 555 ro' t '80 in ro/out' 'http://a b\n' 'Error opening output file ro/out, aborting!\n' 1 -
on=posix nonroot=1 prep='chmod 000 in' t '80 in out' 'http://a b\n' 'Error opening input file in, aborting!\n' 1 -

topic read-failures
# Read failures, made by failing a read system call of the input or by hanging
# up a terminal: what was read before the failure forms a line of its own, and
# the next read reports the failure under its own number. The stream reads 64 KiB
# at a time.
READ='Error reading line from input file in line'
on=posix eio=1 t '80 in out' 'http://a b\n' "$READ1" 1 ''
on=posix eio=2 prep='link_lines 4096' t '80 in out' - "$READ 4097, aborting!\n" 1 @want
on=posix eio=2 prep='long_link_line 70000 65527' t '100000 in out' - "$READ 2, aborting!\n" 1 @want
on=posix eio=3 prep='long_link_line 140000 131063' t '200000 in out' - "$READ 2, aborting!\n" 1 @want
on=posix eio=2 t '12 in out' 'http://a b\nhttp://c d\n' "$READ 3, aborting!\n" 1 "$AB"'<a href="http://c">d</a>\n'
on=posix eio=2 t '12 in out' 'http://a b\nhttp://c d' "$READ 3, aborting!\n" 1 "$AB"'<a href="http://c">d</a>\n'
on=posix eio=2 t '5 in out' 'http://a b\n' "$READ 4, aborting!\n" 1 ''
on=posix eio=2 t '2 in out' 'ab' "$READ 3, aborting!\n" 1 ''
# A read that fails while the output is looked at, or compared with the
# input, leaves nothing known of it: refused, both files kept.
on=posix eio=1 prep='printf "old\n" >out' t '80 in out' 'abc\n' 'Error opening output file out, aborting!\n' 1 'old\n'
on=posix eio=3 prep='cp in out' t '80 in out' 'abc\n' 'Error opening output file out, aborting!\n' 1 =
on=posix timeout=20 terminal='http://a bc' t '80 term out' - 'Error reading line from input file term line 2, aborting!\n' 1 '<a href="http://a">bc</a>\n'

topic big-inputs
# Big inputs: a link line of several megabytes is read whole, or in pieces.
prep='long_link_line 4000000' t '4000011 in out' - "$DONE" 0 @want
heavy=1 prep='long_link_line 4000000' t '2147483647 in out' - "$DONE" 0 @want

topic memory
# Memory running out, for the line buffer, the address and the description:
# reported, and the anchor lines written before stay in the output. A link
# line's buffers are given back before the next line is read.
# Each limit is what the run needs up to the allocation that must fail, and
# less than that allocation more: 20 MB for a line buffer of 100 MB, 12 MB for
# an address or description of 25 MB; and 20 MB beyond a one-line run, plenty
# for a run that gives each line's buffers back.
on=posix vmlimit=1 prep='vm_limit "80 in" 20000' t '100000000 in out' 'http://a b\n' "$NOMEM" 1 -
on=posix vmlimit=1 prep='big_line_between 25000000 nospace && vm_limit "30000000 in1" 12000' t '30000000 in out' - "$NOMEM" 1 "$AB"
on=posix vmlimit=1 prep='big_line_between 25000000 && vm_limit "30000000 in1" 12000' t '30000000 in out' - "$NOMEM" 1 "$AB"
on=posix vmlimit=1 prep='link_lines 2000000 && vm_limit "80 in1" 20000' t '80 in out' - "$DONE" 0 @want

topic hostile-input
# Hostile input: binary bytes, no newlines at all, random data.
on=posix t '80 in out' '\xff\xfe\0\0http://\x1a\x01\r\r \0 \r\n\x80http://\x1b[31m \x00\xc0\x1a\n\rhttp://\xe2\x80\xae x\r' "$DONE" 0 '<a href="http://\x1b[31m"></a>\n<a href="http://\xe2\x80\xae">x\r</a>\n'
on=windows t '80 in out' '\xff\xfe\0\0http://\x1a\x01\r\r \0 \r\n\x80http://\x1b[31m \x00\xc0\x1a\n\rhttp://\xe2\x80\xae x\r' "$DONE" 0 ''
heavy=1 prep='xs 100000000 >in' t '4096 in out' - "$DONE" 0 ''
heavy=1 prep='{ xs 50000000; printf "http://a b\n"; } >in' t '4096 in out' - "$DONE" 0 "$AB"
prep='head -c 3000000 /dev/urandom >in' t '80 in out' - "$DONE" 0 '*'
heavy=1 prep='head -c 3000000 /dev/urandom >in' t '2 in out' - "$DONE" 0 ''
if [ -n "$only" ] && [[ " $topics " != *" $only "* ]]; then
	echo "cases.sh: no topic $only; the topics are:$topics"
	exit 2
fi
echo "$platform${only:+ $only}: $passed passed, $failed failed, $skipped skipped"
[ "$failed" = 0 ] || exit 1
[ "$unmet" = 0 ] || exit 77
