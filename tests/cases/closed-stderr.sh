# shellcheck shell=bash
# Standard error closed at the start, with the others, as closed-streams.sh
# closes them: memcheck, which reports on standard error, runs none of these.
needs own-syscalls
on=posix prep='exec 0<&- 1>&- 2>&-' check=in t '80 in in' 'http://a b\n' '' 1 =
on=posix prep='exec 1>&- 2>&-' t '80 in out' 'http://a b\n' '' 0 "$AB"
on=posix prep='exec 0<&- 1>&- 2>&-' t '80 in out' 'http://a b\n' '' 0 "$AB"
