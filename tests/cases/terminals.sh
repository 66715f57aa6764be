# shellcheck shell=bash
# A terminal as the input: as both input and output (the one file, with
# /dev/null, that may be both), and one that hangs up while it is read, whose
# read fails: the text read before converted, the failing read under its own
# number.
needs terminal
on=posix prep="terminal_eof 'http://a b\nhttp://c d\n'" check=term.out t '80 term term' - "$DONE" 0 "$AB"'<a href="http://c">d</a>\n'
on=posix prep="terminal 'http://a bc'" t '80 term out' - "$(cannot_read term 2)" 1 '<a href="http://a">bc</a>\n'
