# shellcheck shell=bash
# System calls that fail, by strace's fault injection: a read of the input,
# which ends the run with what was read before it converted, the failing
# read under its own number (the stream reads 64 KiB at a time); a write
# that fails in the read loop, which ends the run at once; and whatever fails
# while the output is looked at, compared with the input or emptied, which
# leaves nothing known of it: refused, both files kept.
needs strace own-syscalls
NOOUT="$(cannot_open_output out)"
NOWRITE="$(cannot_write out)"
# An earlier output in 'out', and a list of the user's in 'list' and 'copy'.
outputs() {
	printf '<a href="http://x">y</a>\n' >out && printf 'http://x y\n' >list && cp list copy
}
# The input's stat just after its open, which tells that it is no folder:
# failing, nothing is known of it.
on=posix prep='fail_call fstat,newfstatat in' t '80 in out' 'http://a b\n' "$(cannot_open_input in)" 1 -
on=posix prep='fail_call read in' t '80 in out' 'http://a b\n' "$READ1" 1 ''
on=posix prep='link_lines 4096 && fail_call read in end' t '80 in out' - "$(cannot_read in 4097)" 1 @want
on=posix prep='long_link_line 70000 65527 && fail_call read in 65536' t '100000 in out' - "$(cannot_read in 2)" 1 @want
on=posix prep='long_link_line 140000 131063 && fail_call read in 131072' t '200000 in out' - "$(cannot_read in 2)" 1 @want
on=posix prep='fail_call read in end' t '12 in out' 'http://a b\nhttp://c d\n' "$(cannot_read in 3)" 1 "$AB"'<a href="http://c">d</a>\n'
on=posix prep='fail_call read in end' t '12 in out' 'http://a b\nhttp://c d' "$(cannot_read in 3)" 1 "$AB"'<a href="http://c">d</a>\n'
on=posix prep='fail_call read in end' t '5 in out' 'http://a b\n' "$(cannot_read in 4)" 1 ''
on=posix prep='fail_call read in end' t '2 in out' 'ab' "$(cannot_read in 3)" 1 ''
on=posix prep='link_lines 20000 && never_call read in 65536' t '80 in /dev/full' - "$(cannot_write /dev/full)" 1 -
# The output's first read (the look), the input's (the comparison), the emptying.
on=posix prep='printf "old\n" >out && fail_call read out' t '80 in out' 'abc\n' "$NOOUT" 1 =
on=posix prep='cp in out && fail_call read in' t '80 in out' 'abc\n' "$NOOUT" 1 =
# A copy of the input longer than the MiB looked at, whose read past that MiB
# fails in the comparison.
on=posix prep='link_lines 65537 && cp in out && fail_call read in 1048576' t '80 in out' - "$NOOUT" 1 =
on=posix prep='outputs && fail_call ftruncate out' t '80 in out' 'http://a b\n' "$NOOUT" 1 =
# The output's stat just after its open for writing, which tells that it is
# the file looked at and still as the look saw it, before it is emptied.
on=posix prep='outputs && fail_call fstat,newfstatat out writing' t '80 in out' 'http://a b\n' "$NOOUT" 1 =
# An emptying that the file system ignores (fusefat's, say), which reports success.
on=posix prep='outputs && traced -e trace=ftruncate -e inject=ftruncate:retval=0' t '80 in out' 'http://a b\n' "$NOOUT" 1 =
# The same name twice is refused before the output's name is looked at: its
# open to look (a second open of 'in') is never made.
on=posix prep='never_call openat in again' check=in t '80 in in' 'http://a b\n' "$(output_is_input in)" 1 =
# The output changes between the look and the open for writing: the name
# comes to lead to another file, 'list', a list is saved into it (one of the
# same size too), or it is removed: refused, nothing created, the user's list
# kept. Or it is renamed over or removed between the open for writing and the
# emptying: the anchor lines are then where no name leads, and the run fails.
# meanwhile COMMAND [CALL WHERE MODE]: the call CALL out WHERE (the open of
# 'out' after the look's) is held back two seconds, and COMMAND run once the
# tool holds 'in' open, and 'out' with the access mode MODE (0 reading, 1
# writing): a process of the tool's, not the runner's copy of 'out'.
meanwhile() {
	delay_call "${2:-openat}" out "${3:-again}" 2000000 || return
	{
		for _ in $(seq 1000); do
			find /proc/[0-9]*/fd \( -lname "$PWD/out" -o -lname "$PWD/in" \) -printf '%h %f %l\n' 2>/dev/null |
				awk -v mode="${4:-0}" '$3 ~ /\/out$/ {
						info = $1 "/../fdinfo/" $2
						while ((getline field <info) > 0) if (field ~ /^flags:/) flags = substr(field, length(field))
						close(info)
						if (flags % 4 == mode) out[$1] = 1
					}
					$3 ~ /\/in$/ { input[$1] = 1 }
					END { for (p in out) if (p in input) exit 0; exit 1 }' && { eval "$1"; break; }
			sleep 0.01
		done
	} &
}
on=posix prep='outputs && meanwhile "mv list out"' t '80 in out' 'http://a b\n' "$NOOUT" 1 @copy
on=posix prep='outputs && cat out list >copy && meanwhile "cat list >>out"' t '80 in out' 'http://a b\n' "$NOOUT" 1 @copy
on=posix prep='outputs && printf "http://example.org/ x yz\n" >copy && meanwhile "cp copy out"' t '80 in out' 'http://a b\n' "$NOOUT" 1 @copy
on=posix prep='outputs && meanwhile "rm out"' t '80 in out' 'http://a b\n' "$NOOUT" 1 -
on=posix prep='outputs && meanwhile "mv list out" ftruncate 0 1' t '80 in out' 'http://a b\n' "$NOWRITE" 1 @copy
on=posix prep='outputs && meanwhile "rm out" ftruncate 0 1' t '80 in out' 'http://a b\n' "$NOWRITE" 1 -
# A file that appears where the look, its stat, found none is never emptied unseen.
on=posix prep='outputs && rm out && mv list out && fail_call newfstatat out ENOENT' t '80 in out' 'http://a b\n' "$NOOUT" 1 @copy
# A close of the output that fails, as a network file system may report a
# failed write only then.
on=posix prep='fail_call close out' t '80 in out' 'http://a b\n' "$NOWRITE" 1 "$AB"
