# shellcheck shell=bash
# Reads in pieces: at most limit - 1 bytes each, a newline ends a piece; and a
# link line of several megabytes read whole.
# Write to 'in' a link line whose byte at offset 65536, the first that the
# stream's 64 KiB buffer holds once refilled, is a newline ($1 = newline) or
# the space after the address ($1 = space), then another link line; and to
# 'want' their anchor lines.
at_refill() {
	local filler
	filler=$(xs $((65536 - 9)))
	if [ "$1" = newline ]; then
		printf 'http://a %s\nhttp://c d\n' "$filler" >in
		printf '<a href="http://a">%s</a>\n<a href="http://c">d</a>\n' "$filler" >want
	else
		printf 'http://ab%s text\nhttp://c d\n' "$filler" >in
		printf '<a href="http://ab%s">text</a>\n<a href="http://c">d</a>\n' "$filler" >want
	fi
}
t '2 in out' 'http://a b\n' "$DONE" 0 ''
t '7 in out' 'http://a b\nhttp://c d\n' "$DONE" 0 ''
t '8 in out' 'http://a b\n' "$DONE" 0 '<a href="http://"></a>\n'
t '9 in out' 'http://a b\n' "$DONE" 0 '<a href="http://a"></a>\n'
t '10 in out' 'http://a b\n' "$DONE" 0 '<a href="http://a"></a>\n'
t '11 in out' 'http://a b\n' "$DONE" 0 "$AB"
t '12 in out' 'http://a bc\n' "$DONE" 0 '<a href="http://a">bc</a>\n'
t '13 in out' 'http://a bc\n' "$DONE" 0 '<a href="http://a">bc</a>\n'
t '80 in out' 'http://a bc' "$DONE" 0 '<a href="http://a">bc</a>\n'
t '80 in out' 'x\nhttp://a bc' "$DONE" 0 '<a href="http://a">bc</a>\n'
t '3 in out' 'http://a b' "$DONE" 0 ''
t '40 in out' "0123456789012345678901234567890123http://a b\n" "$DONE" 0 ''
t '40 in out' "$LONG$LONG" "$DONE" 0 "$A30$A30"
t '20 in out' "http://a $X10${X10}http://b c\n" "$DONE" 0 '<a href="http://a">xxxxxxxxxx</a>\n<a href="http://b"></a>\n'
# A newline, or the space that ends the address, as the first byte the stream's buffer holds once refilled.
prep='at_refill newline' t '100000 in out' - "$DONE" 0 @want
prep='at_refill space' t '100000 in out' - "$DONE" 0 @want
prep='long_link_line 4000000' t '4000011 in out' - "$DONE" 0 @want
