#!/usr/bin/env bash
# Run hrefgen's black-box cases: the topic files tests/cases/TOPIC.sh, one case a line.
#
# usage: cases.sh [--topic TOPIC] PLATFORM COMMAND...
#   TOPIC     run tests/cases/TOPIC.sh only; every topic without it
#   PLATFORM  posix (no text-mode translation) or windows (CR LF text mode)
#   COMMAND   how to start hrefgen: build/ci/hrefgen, tests/wine.sh build/windows/hrefgen.exe, ...
#
# A topic file holds a comment, what its cases need, fixtures of its own, and
# cases under short comments. Each case runs in a fresh folder holding the
# file 'in', with a time limit of two minutes:
#   t ARGS INPUT STDOUT STATUS OUTPUT
#     ARGS    the arguments after the program name, in shell quoting
#     INPUT   the bytes of 'in' as printf %b escapes, or - for no 'in'
#     STDOUT  the expected standard output, as printf %b escapes
#     STATUS  the expected exit status
#     OUTPUT  what 'out' must hold afterwards: bytes as printf %b escapes;
#             - when it must not exist; = when it must be as it was before the
#             run; @FILE for the bytes of FILE, made by prep, as written in
#             text mode
#   Set before t, for that case only (prep=... t ..., with no ; between):
#     prep=SHELL   commands run in the case folder just before hrefgen, in its
#                  shell: the fixtures below and a topic's own
#     check=FILE   the file that OUTPUT is about, instead of 'out'
#     on=PLATFORM  a case of that platform only; on the other it is skipped
#   needs WORD...  at the top of a topic file: what all its cases need. With
#   on=, the ways a case is left out (tests/CMakeLists.txt also chooses the
#   topics that memcheck runs). Of the machine:
#     mounts   root, allowed to mount and attach loop devices, mkfs.ext4, and asked to
#              with HREFGEN_TEST_MOUNTS=1 (as CI does); what a case mounts in
#              its folder is undone after it
#     fuse     /dev/fuse, bindfs and fuse-overlayfs
#     strace   strace, allowed to trace (fail_call, never_call, delay_call)
#     terminal a pseudo-terminal, and tests/pty_feed built beside hrefgen or
#              named by HREFGEN_PTY_FEED (terminal, terminal_eof)
#   A topic that lacks one is skipped or fails, as tests/missing.sh says
#   (status 77, a skip to CTest); tests/install-deps.sh installs every tool.
#   Of the build, which HREFGEN_CASES_BUILD names (native by default; CTest
#   sets it: sanitizers, memcheck, emulator):
#     own-syscalls   no memcheck, whose own calls and descriptors would disturb
#     native-memory  a native build: under an emulator or the sanitizers a
#                    memory limit would measure their own needs
#     native-speed   no memcheck, which would take too long
#   A topic that its build cannot run is skipped, saying why, whatever is required.
# The exit status is 1 when a case failed, else 77 when a topic was skipped,
# else 0. On windows every newline expected on standard output or in the
# output is CR LF, as the text mode writes it. Names in messages are UTF-8
# bytes on every platform and in every code page.
set -u
build=${HREFGEN_CASES_BUILD:-native}
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
cases=$(cd "$(dirname "$0")/cases" && pwd) || exit 2
work=$(mktemp -d) || exit 2
# Never removed through a mount that a case left (remove_case says so).
trap '[ -n "$(mounts_under "$work")" ] || rm -rf --one-file-system "$work"' EXIT

# hrefgen's messages (src/messages.hpp), the one place the cases spell them,
# as printf %b escapes: those with a name (the name $1, and the read number
# $2), and those without; then lines and anchor lines that many topics use.
cannot_open_input() { message 'Error opening input file %s, aborting!' "$1"; }
cannot_open_output() { message 'Error opening output file %s, aborting!' "$1"; }
output_is_input() { message 'Error opening output file %s: it is the input file, aborting!' "$1"; }
not_earlier_output() { message 'Error opening output file %s: it is not an earlier output, aborting!' "$1"; }
cannot_read() { message "Error reading line from input file %s line $2, aborting!" "$1"; }
cannot_write() { message 'Error writing output file %s, aborting!' "$1"; }
# Print the message of format $1 with the name $2 in it, a backslash doubled.
# shellcheck disable=SC2059 # the format is a message's
message() {
	printf "$1\\\\n" "${2//\\/\\\\}"
}
# shellcheck disable=SC2034 # the topic files use them
declare -r USAGE='To few arguments specified.\nUsage: hrefgen.exe MAX_LINE_LENGHT INPUT_FILE OUTPUT_FILE\n' \
	DONE='All done, exiting...\n' \
	NOMEM='Unable to allocate memory, aborting!\n' \
	AB='<a href="http://a">b</a>\n' \
	X10=xxxxxxxxxx
# shellcheck disable=SC2034 # the topic files use it
READ1=$(cannot_read in 1)
# A link line of 50 bytes: read whole at limit 51, in two pieces at limit 40.
# shellcheck disable=SC2034 # the topic files use them
declare -r LONG="http://a $X10$X10$X10$X10\n" \
	A30="<a href=\"http://a\">$X10$X10$X10</a>\n" \
	A40="<a href=\"http://a\">$X10$X10$X10$X10</a>\n"

# Fixtures, for prep.

# Replace this shell by the tool, with the arguments $@: a run of a fixture's own.
exec_tool() {
	exec "${tool[@]}" "$@"
}

# Print $1 x's.
xs() {
	head -c "$1" /dev/zero | tr '\0' x
}

# Write to 'in' $1 link lines of 16 bytes, to 'in1' one of them, and to 'want'
# their anchor lines.
link_lines() {
	printf 'http://a bcdefg\n' >in1
	yes 'http://a bcdefg' | head -n "$1" >in
	yes '<a href="http://a">bcdefg</a>' | head -n "$1" >want
}

# Write to 'in' one link line whose text is $1 x's, and to 'want' its anchor
# line, or the anchor line of its first $2 x's when given.
long_link_line() {
	{ printf 'http://a '; xs "$1"; printf '\n'; } >in
	{ printf '<a href="http://a">'; xs "${2:-$1}"; printf '</a>\n'; } >want
}

# Run the tool as nobody, where the cases run as root: root may read and
# write anything. The case's folders are opened to everyone, and a part of
# the tool's command that nobody may not run (a build under /root, say) is
# copied where it may.
as_nobody() {
	[ "$(id -u)" = 0 ] || return 0
	local as=(setpriv --reuid=nobody --regid=nogroup --clear-groups) i
	chmod 755 "$work" "$work/$topic" . || return
	for i in "${!tool[@]}"; do
		if [ ! -f "${tool[i]}" ] || "${as[@]}" test -x "${tool[i]}"; then continue; fi
		mkdir -p "$work/nobody" && cp "${tool[i]}" "$work/nobody/" && chmod 755 "$work/nobody" || return
		tool[i]=$work/nobody/${tool[i]##*/}
	done
	wrap=("${as[@]}" "${wrap[@]}")
}

# Fault injection with strace names a call by what it does, not by its number:
#   CALL FILE [WHERE]  the first system call CALL on FILE: for a call on a
#                      descriptor, one that strace shows for FILE's path; for
#                      an open, one that opens FILE. CALL is the name strace
#                      shows, or the names one call of the C library may have,
#                      by commas: glibc's fstat is fstat,newfstatat (newfstatat
#                      before glibc 2.39, fstat from it on). WHERE is a number
#                      of bytes, the first such call at or after that offset
#                      in the file; 'end', at or after the file's size as the
#                      case starts; 'again', the first after the first; or
#                      'writing', the first on a descriptor opened for
#                      writing (for an open, the first that opens for writing).
# fail_call CALL FILE [WHERE] [ERROR]: that call fails with ERROR (EIO by
# default). The case fails when the tool never makes it: a call misnamed
# (fstat, where the C library calls newfstatat) fails no call unseen.
fail_call() {
	local where=0
	if [[ ${3:-} =~ ^([0-9]+|end|again|writing)$ ]]; then
		where=$3
		set -- "$1" "$2" "${@:4}"
	fi
	inject_call "$1" "$2" "$where" error="${3:-EIO}"
}

# never_call CALL FILE [WHERE]: the case fails when the tool makes that call:
# the run ends, say, before it would.
never_call() {
	traced -e trace="$1,openat,lseek"
	echo "never $1 $2 ${3:-0}" >"$work/trace-check"
}

# delay_call CALL FILE [WHERE] MICROSECONDS: that call is held back so long
# before it is made; the case fails when the tool never makes it.
delay_call() {
	if [ $# -ge 4 ]; then
		inject_call "$1" "$2" "$3" delay_enter="$4"
	else
		inject_call "$1" "$2" 0 delay_enter="$3"
	fi
}

# Inject into the call CALL FILE WHERE ($1 to $3) what strace's inject= $4
# says, and have the case checked for it being made.
inject_call() {
	local found
	found=$(call_number "$1" "$2" "$3") || return
	traced -e trace="$1" -e inject="${found% *}:$4:when=${found#* }"
	echo "made $1 $2 $3" >"$work/trace-check"
}

# LeakSanitizer cannot work under a tracer: a traced run goes without it.
without_leak_check=ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0

# Run the tool under strace with the options $@, its descriptors shown with
# their paths, into the trace that the case is checked against.
traced() {
	wrap=(env "$without_leak_check" strace -qq -y -o "$work/trace" "$@" "${wrap[@]}")
}

# Print the name and the number, counting the calls of that name, of the call
# that CALL FILE WHERE names in the trace $4 of a run in folder $5; print
# nothing when none is.
# With $6 = made, the one that strace failed or held back, wherever.
find_call() {
	local where=$3
	[ "$where" != end ] || where=$(stat -L -c %s "$5/$2") || return
	awk -v names="$1" -v file="$2" -v where="$where" -v dir="$5" -v made="${6:-}" '
		BEGIN { n = split(names, list, ","); for (i = 1; i <= n; i++) wanted[list[i]] = 1 }
		# The path of descriptor text "N<PATH>", relative to the case folder.
		function path_of(fd) {
			sub(/^[0-9]+</, "", fd); sub(/>.*$/, "", fd)
			return index(fd, dir "/") == 1 ? substr(fd, length(dir) + 2) : fd
		}
		{
			n = split($0, part, " = "); result = part[n]; fd = substr($0, index($0, "(") + 1)
			call = substr($0, 1, index($0, "(") - 1); d = ""
		}
		# Offsets, by descriptor: an open starts at 0, a seek says where it went;
		# and which descriptors were opened for writing.
		/^(open|openat)\(/ && result ~ /^[0-9]+</ {
			split(result, r, "<"); offset[r[1]] = 0; writing[r[1]] = $0 ~ /O_WRONLY|O_RDWR/; d = r[1]
		}
		/^lseek\(/ && result ~ /^[0-9]+$/ { split(fd, r, "<"); offset[r[1]] = result + 0 }
		!(call in wanted) { next }
		{ calls[call]++ }
		# An open, or a call on a name (newfstatat(AT_FDCWD, "out", ...)), names
		# its path, as given or as opened; another call its descriptor.
		call ~ /^open/ || fd ~ /^AT_FDCWD(<[^>]*>)?, "/ {
			given = $0; sub(/^[^"]*"/, "", given); sub(/".*$/, "", given)
			if (given != file && !(result ~ /^[0-9]+</ && path_of(result) == file)) next
		}
		call !~ /^open/ && fd !~ /^AT_FDCWD(<[^>]*>)?, "/ {
			if (fd !~ /^[0-9]+</ || path_of(fd) != file) next
			split(fd, r, "<")
			d = r[1]
			at = offset[d] + 0
			if (result ~ /^[0-9]+$/ && call ~ /^(read|write)$/) offset[r[1]] = at + result
		}
		made { if ($0 ~ /\((INJECTED|DELAYED)\)$/) { print call, calls[call]; exit } next }
		where == "again" { if (seen++) { print call, calls[call]; exit } next }
		where == "writing" { if (d != "" && writing[d]) { print call, calls[call]; exit } next }
		at + 0 >= where + 0 { print call, calls[call]; exit }
	' "$4"
}

# The name and number of the call that CALL FILE WHERE names, as find_call
# prints them: found in a run of the tool under strace, as the case will run it, in a copy
# of the case folder. Its standard output and error are files, as the case's
# are: the tool looks at standard output's file, with calls of its own.
call_number() {
	local probe=$work/.probe found
	rm -rf "$probe" && cp -a . "$probe" || return
	(cd "$probe" && env "$without_leak_check" strace -qq -y -o "$work/probe-trace" \
		-e trace="$1,openat,lseek" "${wrap[@]}" "${tool[@]}" "${argv[@]}" \
		</dev/null >"$work/probe-stdout" 2>"$work/probe-stderr")
	found=$(find_call "$1" "$2" "$3" "$work/probe-trace" "$probe")
	rm -rf "$probe" "$work/probe-stdout" "$work/probe-stderr"
	[ -n "$found" ] || { echo "cases.sh: the tool makes no call $1 on $2 at $3" >&2; return 1; }
	echo "$found"
}

# Check the trace of the case's run in folder $1 as fail_call or never_call
# asked: a reason to fail it, when there is one.
check_trace() {
	local check call file where
	[ -f "$work/trace-check" ] || return 0
	read -r check call file where <"$work/trace-check"
	rm -f "$work/trace-check"
	if [ "$check" = made ]; then
		[ -n "$(find_call "$call" "$file" 0 "$work/trace" "$1" made)" ] ||
			echo " the tool never made the call $call $file $where that was to fail;"
	elif [ -n "$(find_call "$call" "$file" "$where" "$work/trace" "$1")" ]; then
		echo " the tool made the call $call $file $where;"
	fi
}

# Make 'term' a pseudo-terminal in raw mode holding the printf escapes $1,
# hung up once read, as its input's other end.
terminal() {
	local text
	printf -v text '%b' "$1"
	wrap=("$pty_feed" "$text" term "${wrap[@]}")
}

# Make 'term' a pseudo-terminal that takes lines, holding the printf escapes
# $1 and then end-of-file; what the tool writes to it is saved in 'term.out'.
terminal_eof() {
	local text
	printf -v text '%b' "$1"
	wrap=("$pty_feed" -e term.out "$text" term "${wrap[@]}")
}

# Run the tool in a mount namespace of its own with an empty /dev, as in a
# bare chroot or container. Only /dev is made private: in a chroot, / may be
# no mount point at all.
without_dev() {
	wrap=(unshare --mount --propagation unchanged sh -c \
		'mount --make-rprivate /dev && mount -t tmpfs tmpfs /dev && exec "$@"' sh "${wrap[@]}")
}

# The runner.

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

# Show how got and want differ, byte by byte: their first 512 bytes.
dump() {
	echo "  $1 got:"
	od -A d -t x1z -v -N 512 "$2" | sed 's/^/    /'
	echo "  $1 want:"
	od -A d -t x1z -v -N 512 "$3" | sed 's/^/    /'
}

# End the topic for the build it runs under, which cannot run it, as $1
# says: a skip, whatever is required.
unfit() {
	echo "SKIP $topic: $1 (${build:-native} build)"
	exit 77
}

# End the topic for want of $1, as tests/missing.sh says.
missing() {
	bash "$cases/../missing.sh" "$topic" "$1"
	exit
}

# Say what the topic's cases need, as the header says: checked before the
# first case that runs on this platform.
needs() {
	topic_needs=("$@")
}

# Check that this machine has what the topic's cases need.
check_needs() {
	local need
	for need in "${topic_needs[@]}"; do
		case $need in
		own-syscalls)
			[ "$build" != memcheck ] ||
				unfit "memcheck's own system calls and descriptors would disturb its cases"
			;;
		native-memory)
			[ "$build" = native ] ||
				unfit "a memory limit would measure the emulator's or the sanitizers' own needs"
			;;
		native-speed)
			[ "$build" != memcheck ] || unfit "its big inputs would take memcheck too long"
			;;
		mounts)
			[ "${HREFGEN_TEST_MOUNTS:-0}" = 1 ] ||
				missing "to mount file systems, which only HREFGEN_TEST_MOUNTS=1 allows"
			if ! { mkdir -p "$work/mnt" && mount -t tmpfs tmpfs "$work/mnt" 2>/dev/null &&
				umount "$work/mnt" && losetup -f >/dev/null 2>&1; }; then
				missing "root, allowed to mount file systems and attach loop devices"
			fi
			command -v mkfs.ext4 >/dev/null || missing "mkfs.ext4 (e2fsprogs), to make a file system"
			mounting=1
			;;
		fuse)
			command -v bindfs >/dev/null || missing bindfs
			command -v fuse-overlayfs >/dev/null || missing fuse-overlayfs
			[ -c /dev/fuse ] || missing "FUSE, and this machine has no /dev/fuse"
			;;
		strace)
			strace -qq -o /dev/null true 2>/dev/null || missing "strace, allowed to trace"
			;;
		terminal)
			pty_feed=${HREFGEN_PTY_FEED:-}
			local part
			for part in "${tool[@]}"; do
				[ -n "$pty_feed" ] || [ ! -x "$(dirname "$part")/tests/pty_feed" ] ||
					pty_feed=$(dirname "$part")/tests/pty_feed
			done
			[ -x "$pty_feed" ] || missing "tests/pty_feed, which CMake builds beside hrefgen"
			"$pty_feed" -e "$work/pty.out" '' "$work/pty" true >/dev/null 2>&1 ||
				missing "a pseudo-terminal, which this machine cannot open"
			;;
		*)
			echo "cases.sh: $topic needs $need, which is no need this runner knows"
			exit 2
			;;
		esac
	done
}

# The mount points under folder $1, the deepest first.
mounts_under() {
	awk -v dir="$1/" 'index($2, dir) == 1 { print $2 }' /proc/self/mounts | sort -r
}

# Undo every mount under folder $1. A mount may be busy just after its case
# (a FUSE view whose daemon still closes it): it is tried again for two
# seconds, then detached. False when one is still there.
unmount_under() {
	local point points tries
	for tries in $(seq 10) lazy; do
		points=$(mounts_under "$1")
		[ -n "$points" ] || return 0
		while read -r point; do
			if [ "$tries" = lazy ]; then umount -l "$point"; else umount "$point"; fi 2>/dev/null
		done <<<"$points"
		[ "$tries" = lazy ] || sleep 0.2
	done
	[ -z "$(mounts_under "$1")" ]
}

# Remove the case folder $1, undoing first what a case of a mounting topic
# mounted in it; a folder that still holds a mount is kept, and the topic fails.
remove_case() {
	if [ -n "$mounting" ] && ! unmount_under "$1"; then
		echo "FAIL $topic: $1 still holds a mount, which cannot be undone: kept"
		failed=$((failed + 1))
		return 1
	fi
	rm -rf --one-file-system "$1"
}

# The line of the topic file that wrote the case, also through a helper there.
case_line() {
	local i line='?'
	for ((i = 0; i + 1 < ${#BASH_SOURCE[@]}; i++)); do
		[ "${BASH_SOURCE[i + 1]}" != "$cases/$topic.sh" ] || line=${BASH_LINENO[i]}
	done
	echo "$topic.sh:$line"
}

# Run one case, as the columns above say, and report it when it fails.
t() {
	local args=$1 input=$2 stdout=$3 status=$4 output=$5
	count=$((count + 1))
	if [ -n "${on:-}" ] && [ "$on" != "$platform" ]; then
		skipped=$((skipped + 1))
		return 0
	fi
	[ "$checked" = 1 ] || { check_needs; checked=1; }
	local dir=$work/$topic/$count file=$work/$topic/$count/${check:-out} argv got_status
	eval "argv=($args)"
	remove_case "$dir" && mkdir -p "$dir" || return 0
	[ "$input" = - ] || printf '%b' "$input" >"$dir/in"
	rm -f "$work/before" "$work/trace" "$work/trace-check"
	# shellcheck disable=SC2030,SC2031 # fixtures change wrap for this case's run only
	(
		wrap=()
		cd "$dir" && eval "${prep:-:}" && { [ ! -e "$file" ] || cp "$file" "$work/before"; } &&
			exec timeout -k 1 120 "${wrap[@]}" "${tool[@]}" "${argv[@]}"
	) >"$work/stdout" 2>"$work/stderr" </dev/null
	got_status=$?
	expect_bytes "$stdout" "$work/want_stdout"
	local ok=1 why=
	why=$(check_trace "$dir")
	[ -z "$why" ] || ok=0
	[ "$got_status" = "$status" ] || { ok=0; why="$why status $got_status, want $status;"; }
	cmp -s "$work/stdout" "$work/want_stdout" || { ok=0; why="$why stdout differs;"; }
	[ -s "$work/stderr" ] && { ok=0; why="$why wrote to stderr;"; }
	if [ "$output" = - ]; then
		[ -e "$file" ] && { ok=0; why="$why ${check:-out} exists;"; }
	else
		if [ "$output" = = ]; then
			cp "$work/before" "$work/want_output" 2>/dev/null ||
				{ ok=0; why="$why ${check:-out} did not exist before;"; }
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
	if [ "$ok" = 1 ]; then
		passed=$((passed + 1))
		remove_case "$dir"
		return
	fi
	failed=$((failed + 1))
	echo "FAIL $(case_line): hrefgen $args:$why"
	cmp -s "$work/stdout" "$work/want_stdout" || dump stdout "$work/stdout" "$work/want_stdout"
	[ -s "$work/stderr" ] && sed 's/^/  stderr: /' "$work/stderr"
	if [ "$output" != - ] && [ -e "$file" ] && ! cmp -s "$file" "$work/want_output"; then
		dump "${check:-out}" "$file" "$work/want_output"
	fi
	remove_case "$dir"
}

# Run the topic file $1: its cases' report, and a status as this script's.
run_topic() {
	topic=$(basename "$1" .sh) passed=0 failed=0 skipped=0 count=0 checked=0 mounting='' topic_needs=()
	mkdir -p "$work/$topic"
	# shellcheck source=/dev/null # the topic files
	. "$1"
	local other=posix
	[ "$platform" != posix ] || other=windows
	if [ "$skipped" = 0 ]; then
		echo "$platform $topic: $passed passed, $failed failed"
	else
		echo "$platform $topic: $passed passed, $failed failed, $skipped skipped (cases for $other only)"
	fi
	[ "$failed" = 0 ]
}

topics=("$cases"/*.sh)
topics=("${topics[@]##*/}")
topics=("${topics[@]%.sh}")
if [ -n "$only" ]; then
	[ -f "$cases/$only.sh" ] ||
		{ echo "cases.sh: no topic $only; the topics are:" "${topics[@]}"; exit 2; }
	(run_topic "$cases/$only.sh")
	result=$?
else
	result=0
	for topic in "${topics[@]}"; do
		(run_topic "$cases/$topic.sh")
		status=$?
		[ $status = 0 ] || [ $result = 1 ] || result=$status
		[ $status != 1 ] || result=1
	done
fi
[ "$result" = 0 ] || exit "$result"
