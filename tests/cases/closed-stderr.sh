# shellcheck shell=bash
# Standard error closed at the start, with the others: as closed-streams.sh.
needs own-syscalls
on=posix prep='exec 1>&- 2>&-' t '80 in out' 'http://a b\n' '' 0 "$AB"
on=posix prep='exec 0<&- 1>&- 2>&-' t '80 in out' 'http://a b\n' '' 0 "$AB"
