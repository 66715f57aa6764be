# shellcheck shell=bash
# An existing output is emptied only when it holds nothing the user meant to
# keep: an earlier output, whose every line with "://" is an anchor line, or
# a file without "://". A list or a page of the user's, in any scheme or in
# UTF-16, is refused and both files kept: when the arguments are typed in the
# wrong order, say.
LISTED='Error opening output file out: it holds a link list, aborting!\n'
prep='printf "# C++\nhttp://gcc.gnu.org/  GCC\n" >out' t '80 in out' '<a href="http://gcc.gnu.org/">GCC</a>\n' "$LISTED" 1 =
prep='printf "https://a b\n" >out' t '80 in out' 'http://c d\n' "$LISTED" 1 =
prep='printf "<ul>\n  <a href=\"http://a\">b</a>\n</ul>\n" >out' t '80 in out' 'http://c d\n' "$LISTED" 1 =
prep='printf "<a href=\"http://a\">b</a>\nftp://c d\n" >out' t '80 in out' 'http://c d\n' "$LISTED" 1 =
prep='printf "\xff\xfeh\0t\0t\0p\0:\0/\0/\0a\0 \0b\0" >out' t '80 in out' 'http://c d\n' "$LISTED" 1 =
# The same command twice: the second run empties the first one's output.
earlier_run() { (exec_tool 80 in out >/dev/null); }
prep=earlier_run t '80 in out' 'http://a b\nhttp://c d\n' "$DONE" 0 "$AB"'<a href="http://c">d</a>\n'
