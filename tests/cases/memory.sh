# shellcheck shell=bash
# Memory running out, for the line buffer, the address and the description:
# reported, and the anchor lines written before stay in the output. A link
# line's buffers are given back before the next line is read. The limit is
# set with ulimit -v.
# Each limit is what the run needs up to the allocation that must fail, and
# less than that allocation more: 20 MB for a line buffer of 100 MB, 12 MB for
# an address or description of 25 MB; and 20 MB beyond a one-line run, plenty
# for a run that gives each line's buffers back.
needs native-memory

# Limit the tool's address space to $2 KiB more than a run with the read limit
# and input $1 needs, found by bisection to within 256 KiB: the limits follow
# what this build and its C library really take.
vm_limit() {
	local low=0 high=4194304 middle
	while [ $((high - low)) -gt 256 ]; do
		middle=$(((low + high) / 2))
		# A try that dies of a signal is reported by this shell, on its own standard error.
		# shellcheck disable=SC2086 # $1 is the two arguments
		if { (ulimit -v "$middle" && exec_tool $1 vm.out) >/dev/null 2>&1; } 2>/dev/null; then
			high=$middle
		else
			low=$middle
		fi
	done
	ulimit -v $((high + $2))
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
on=posix prep='vm_limit "80 in" 20000' t '100000000 in out' 'http://a b\n' "$NOMEM" 1 -
on=posix prep='big_line_between 25000000 nospace && vm_limit "30000000 in1" 12000' t '30000000 in out' - "$NOMEM" 1 "$AB"
on=posix prep='big_line_between 25000000 && vm_limit "30000000 in1" 12000' t '30000000 in out' - "$NOMEM" 1 "$AB"
on=posix prep='link_lines 2000000 && vm_limit "80 in1" 20000' t '80 in out' - "$DONE" 0 @want
