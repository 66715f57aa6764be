# shellcheck shell=bash
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
