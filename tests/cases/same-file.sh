# shellcheck shell=bash
# The output names the input file: refused, the input left as it was. Only
# a terminal or another character device may be both (see terminals.sh).
check=in t '80 in in' 'http://a b\n' "$(output_is_input in)" 1 =
check=in t '80 in ./in' 'http://a b\n' "$(output_is_input ./in)" 1 =
prep='mkdir sub' check=in t '80 in sub/../in' 'http://a b\n' "$(output_is_input sub/../in)" 1 =
prep='mkdir sub' check=in t '80 sub/../in ./in' 'http://a b\n' "$(output_is_input ./in)" 1 =
prep='ln in out' t '80 in out' 'http://a b\n' "$(output_is_input out)" 1 =
on=posix prep='ln -s in out' t '80 in out' 'http://a b\n' "$(output_is_input out)" 1 =
on=posix prep='ln -s in out' check=in t '80 out in' 'http://a b\n' "$(output_is_input in)" 1 =
on=posix prep='mkdir sub && ln -s ../in sub/link' check=in t '80 in sub/link' 'http://a b\n' "$(output_is_input sub/link)" 1 =
on=windows check=in t '80 in IN' 'http://a b\n' "$(output_is_input IN)" 1 =
on=windows check=in t '80 in .\\in' 'http://a b\n' "$(output_is_input '.\in')" 1 =
# An input that cannot be opened for writing still gets this message: a
# program that is running, which even root cannot write (and one that is
# read-only, in permissions.sh).
# Make 'in' a running program, which no one may open for writing. Waits until
# the program runs: were the tool to open 'in' first, the program would fail
# to start ("Text file busy").
busy_in() {
	cp /bin/sleep in || return
	./in 5 &
	for _ in $(seq 500); do
		[ /proc/$!/exe -ef in ] && return
		sleep 0.01
	done
	return 1
}
on=posix prep=busy_in check=in t '80 in in' - "$(output_is_input in)" 1 =
# Names longer than MAX_PATH (260), which only the wide calls open.
# A name of $1 characters for 'in': .\ repeated, after sub\..\ for an odd length.
long_name() {
	local head='' name=in
	[ $(($1 % 2)) = 0 ] || head='sub\..'\\
	while [ $((${#head} + ${#name})) -lt "$1" ]; do name=.\\$name; done
	printf '%s%s' "$head" "$name"
}
for length in 259 260 261 400; do
	name=$(long_name $length)
	on=windows prep='mkdir sub' check=in t "80 in '$name'" 'http://a b\n' "$(output_is_input "$name")" 1 =
done
# The same FIFO or pipe: refused at once, not left waiting for its own output.
on=posix prep='mkfifo f && { printf "http://a b\n" >f & }' t '80 f f' - "$(output_is_input f)" 1 -
on=posix prep='exec < <(printf "http://a b\n")' t '80 /dev/stdin /dev/stdin' - "$(output_is_input /dev/stdin)" 1 -
on=posix prep='exec < <(printf "http://a b\n")' t '80 /dev/stdin /proc/self/fd/0' - "$(output_is_input /proc/self/fd/0)" 1 -
on=posix t '80 /dev/null /dev/null' - "$DONE" 0 -
# Two regular files that hold the same bytes, or one the start of the other,
# are taken for one file seen twice (as through the views of mounts.sh and
# fuse.sh): a copy of the list, or of its start, is refused too.
prep='cp in out' t '80 in out' 'http://a b\n' "$(output_is_input out)" 1 =
prep='printf "http://a b" >out' t '80 in out' 'http://a b\n' "$(output_is_input out)" 1 =
prep='printf "http://a b\nhttp://c d\n" >out' t '80 in out' 'http://a b\n' "$(output_is_input out)" 1 =
