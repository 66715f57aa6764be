# shellcheck shell=bash
# Standard error closed at the start, with the others: as closed-streams.sh,
# apart because memcheck takes a standard error closed at the start for its
# own and tells the program that it is closed, so that its preset leaves this
# topic out.
on=posix prep='exec 1>&- 2>&-' t '80 in out' 'http://a b\n' '' 0 "$AB"
on=posix prep='exec 0<&- 1>&- 2>&-' t '80 in out' 'http://a b\n' '' 0 "$AB"
