# shellcheck shell=bash
# An existing output is emptied and rewritten only when its first MiB holds
# nothing but what hrefgen writes: after an optional UTF-8 byte order mark,
# anchor lines (ended by LF or CR LF, the last one perhaps cut short), blank
# lines and NUL bytes. Anything else is refused and both files kept: a list
# or a page of the user's, in any scheme or encoding, or any other file,
# when the arguments are typed in the wrong order, say.
NOT='Error opening output file out: it is not an earlier output, aborting!\n'
# Lists, pages and other files of the user's.
prep='printf "# C++\nhttp://gcc.gnu.org/  GCC\n" >out' t '80 in out' '<a href="http://gcc.gnu.org/">GCC</a>\n' "$NOT" 1 =
prep='printf "https://a b\n" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "<ul>\n  <a href=\"http://a\">b</a>\n</ul>\n" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "<a href=\"http://a\">b</a>\nftp://c d\n" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "<a href=\"https://a\">b</a>\n" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "<a href=\"http://a\">b</a>\rhttp://c  d\r" >out' t '80 in out' 'http://e f\n' "$NOT" 1 =
prep='printf "<a href=\"http://a\">b</a>\rhttp://c  d\r<a href=\"http://e\">f</a>\n" >out' t '80 in out' 'http://e f\n' "$NOT" 1 =
prep='printf "int main(void) { return 0; }\n" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "{\"u\": \"http:\\\\/\\\\/a\"}\n" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "http://a b\n" | gzip -n >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
# The same list in UTF-16 and UTF-32, with and without a byte order mark.
prep='printf "\xff\xfeh\0t\0t\0p\0:\0/\0/\0a\0 \0b\0" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "http://a b\n" | iconv -t UTF-32 >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "http://a b\n" | iconv -t UTF-32LE >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "http://a b\n" | iconv -t UTF-32BE >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
# An earlier output: the same command twice, one written on Windows (CR LF),
# or on POSIX from a CR LF list, one cut short by a full disk, and what
# stands for an empty one.
earlier_run() { (exec_tool 80 in out >/dev/null); }
prep=earlier_run t '80 in out' 'http://a b\nhttp://c d\n' "$DONE" 0 "$AB"'<a href="http://c">d</a>\n'
prep='printf "<a href=\"http://x\">y</a>\r\n<a href=\"http://z\">w</a>\r\n" >out' t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
prep='printf "<a href=\"http://x\">y\r</a>\n" >out' t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
prep='printf "<a href=\"http://x\">y</a>\n<a hr" >out' t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
prep='printf "<a href=\"http://x\">y</a>\n<a href=\"http://z\">w" >out' t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
prep='printf "\xef\xbb\xbf" >out' t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
prep='printf "\n  \n\t\r\n" >out' t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
prep='printf "\0\0\0\0" >out' t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
# Only the first MiB is looked at: what follows an earlier output's first MiB is not.
long_earlier_output() {
	yes '<a href="http://a">bcdefg</a>' | head -c 1048576 >out && printf 'http://x y\n' >>out
}
prep=long_earlier_output t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
# A symbolic link that leads nowhere, named as the output: refused, nothing
# created where it leads.
prep='ln -s nowhere out' check=nowhere t '80 in out' 'http://a b\n' 'Error opening output file out, aborting!\n' 1 -
