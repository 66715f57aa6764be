# shellcheck shell=bash
# An existing output is emptied and rewritten only when the whole of it is
# what hrefgen writes: after an optional UTF-8 byte order mark, anchor lines
# (ended by LF or CR LF, the last one perhaps cut short), hrefgen's messages,
# blank lines and NUL bytes. Anything else is refused and both files kept: a
# list or a page of the user's, in any scheme or encoding, or any other file,
# when the arguments are typed in the wrong order, say.
NOT="$(not_earlier_output out)"
# Lists, pages and other files of the user's.
prep='printf "# C++\nhttp://gcc.gnu.org/  GCC\n" >out' t '80 in out' '<a href="http://gcc.gnu.org/">GCC</a>\n' "$NOT" 1 =
prep='printf "https://a b\n" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "<ul>\n  <a href=\"http://a\">b</a>\n</ul>\n" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "<a href=\"http://a\">b</a>\nftp://c d\n" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "<a href=\"https://a\">b</a>\n" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "<a href=\"http://a\">b</a>\rhttp://c  d\r" >out' t '80 in out' 'http://e f\n' "$NOT" 1 =
prep='printf "int main(void) { return 0; }\n" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "{\"u\": \"http:\\\\/\\\\/a\"}\n" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "http://a b\n" | gzip -n >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "note" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
# Lines that only look like hrefgen's: an anchor line edited by hand (an
# attribute, a space in the address, a text that begins with one, a NUL), and
# messages of other programs, cut short, or with a NUL in a name.
prep='printf "<a href=\"http://x\" target=\"_blank\">kept</a>\n" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "<a href=\"http://x y\">kept</a>\n" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "<a href=\"http://x\"> kept</a>\n" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "<a href=\"http://x\">ke\0pt</a>\n" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "<a href=\"http://x\">\n" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "Error opening the notes, aborting!\nAll done\n" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep="printf '%b' '${DONE%\\n}' >out" t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "Error opening input file a\0b, aborting!\n" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
# What follows an earlier output's first MiB, or a sparse file's hole
# (skipped, where the system tells of holes: 1 TiB of it is looked past at
# once; the output kept is checked of the smaller one).
long_earlier_output() {
	yes '<a href="http://a">bcdefg</a>' | head -n 40000 >out && printf 'My notes\n' >>out
}
prep=long_earlier_output t '80 in out' 'http://a b\n' "$NOT" 1 =
prep='truncate -s 1M out && printf "data\n" >>out' t '80 in out' 'http://a b\n' "$NOT" 1 =
on=posix prep='truncate -s 1T out && printf "data\n" >>out' check=in t '80 in out' 'http://a b\n' "$NOT" 1 =
# The same list in UTF-16 and UTF-32, with and without a byte order mark.
prep='printf "\xff\xfeh\0t\0t\0p\0:\0/\0/\0a\0 \0b\0" >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "http://a b\n" | iconv -t UTF-32 >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "http://a b\n" | iconv -t UTF-32LE >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
prep='printf "http://a b\n" | iconv -t UTF-32BE >out' t '80 in out' 'http://c d\n' "$NOT" 1 =
# An earlier output: the same command twice, one written on Windows (CR LF),
# or on POSIX from a CR LF list, one cut short by a full disk, and what
# stands for an empty one.
earlier_run() { (exec_tool 80 in out >/dev/null); }
# shellcheck disable=SC2094 # the run that sends standard output to its output
earlier_run_to_stdout() { (exec_tool 80 in out >out); }
prep=earlier_run t '80 in out' 'http://a b\nhttp://c d\n' "$DONE" 0 "$AB"'<a href="http://c">d</a>\n'
on=posix prep=earlier_run t '80 in out' 'http://a\r\nhttp://b c\rd\n' "$DONE" 0 '<a href="http://a\r"></a>\n<a href="http://b">c\rd</a>\n'
prep='printf "<a href=\"http://x\">y</a>\r\n<a href=\"http://z\">w</a>\r\n" >out' t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
prep='printf "<a href=\"http://x\">y\r</a>\n" >out' t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
prep='printf "<a href=\"http://x\">y</a>\n<a hr" >out' t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
prep='printf "<a href=\"http://x\">y</a>\n<a href=\"http://z\">w" >out' t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
prep='printf "\xef\xbb\xbf" >out' t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
prep='printf "\n  \n\t\r\n" >out' t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
prep='printf "\0\0\0\0" >out' t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
# A CR anywhere in the address or the text, as hrefgen copies a lone CR, and
# an address that holds "> itself; lines that hold CRs, such as a list with
# CR line ends whose lines hrefgen took for one.
prep='printf "<a href=\"http://x\r\"></a>\n<a href=\"http://x\rz\">y\rw</a>\r\n" >out' t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
prep='printf "<a href=\"http://x\">y\">z</a>\n" >out' t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
prep='printf "<a href=\"http://a\">b</a>\rhttp://c  d\r<a href=\"http://e\">f</a>\n" >out' t '80 in out' 'http://e f\n' "$DONE" 0 '<a href="http://e">f</a>\n'
# hrefgen's messages, left by standard output sent to the output, its names
# filled in, with LF or CR LF; and a run of the same command that did that.
prep="printf '<a href=\"http://x\">y</a>\\n%b\\r\\n' '${DONE%\\n}' >out" t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
prep="printf '%b' '$USAGE$NOMEM' >out" t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
prep="printf '%b' '$(cannot_open_input no)$(not_earlier_output '')' >out" t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
prep="printf '%b' '$(cannot_read 'a, b' 12)$(cannot_write ' line x')' >out" t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
prep=earlier_run_to_stdout t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
# A symbolic link that leads nowhere, named as the output: refused, nothing
# created where it leads.
prep='ln -s nowhere out' check=nowhere t '80 in out' 'http://a b\n' "$(cannot_open_output out)" 1 -
