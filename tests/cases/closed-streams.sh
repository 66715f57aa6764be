# shellcheck shell=bash
# Standard input and output closed at the start: no file opened takes their
# descriptors, so no message lands in the input or the output, and the run
# converts as any other; closed-stderr.sh closes standard error too. (Wine
# takes closed descriptors for pipes of its own and loses the exit status.)
on=posix prep='ln in out && exec 0<&- 1>&-' check=in t '80 in out' 'http://a b\n' '' 1 =
on=posix prep='exec 0<&- 1>&-' t '1 in out' 'http://a b\n' '' 1 -
on=posix prep='exec 0<&- 1>&-' t '80 in out' 'http://a b\n' '' 0 "$AB"
# A closed stream stays closed to its names, as for cat: /dev/stdin, /dev/stdout
# and their kin fail to open.
on=posix prep='exec 0<&-' t '80 /dev/stdin out' - "$(cannot_open_input /dev/stdin)" 1 -
on=posix prep='exec 0<&-' t '80 /proc/self/fd/0 out' - "$(cannot_open_input /proc/self/fd/0)" 1 -
on=posix prep='exec 1>&-' check=in t '80 in /dev/stdout' 'http://a b\n' '' 1 =
on=posix prep='exec 1>&-' check=in t '80 in /dev/fd/1' 'http://a b\n' '' 1 =
