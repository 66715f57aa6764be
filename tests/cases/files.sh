# shellcheck shell=bash
# Files: missing, new, existing, in folders, with printf's % in their names,
# and standard output's own.
t '80 nope out' - "$(cannot_open_input nope)" 1 -
prep='printf old >out' t '80 nope out' - "$(cannot_open_input nope)" 1 'old'
t '80 in no/such/out' 'http://a b\n' "$(cannot_open_output no/such/out)" 1 -
t '80 in out' '' "$DONE" 0 ''
prep='printf "<a href=\"http://old.example/\">old stuff, longer than what replaces it</a>\\n" >out' t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
prep=': >out' t '80 in out' '' "$DONE" 0 ''
prep='mkdir sub' check=sub/out t '80 in sub/out' 'http://a b\n' "$DONE" 0 "$AB"
t '80 %s%n%d %n%s' - "$(cannot_open_input %s%n%d)" 1 -
prep='cp in %n' check=%s%d t '80 %n %s%d' 'http://%s%n b\n' "$DONE" 0 '<a href="http://%s%n">b</a>\n'
prep='mkdir sub' t '80 in sub/%s%n/out' 'x\n' "$(cannot_open_output sub/%s%n/out)" 1 -
# Standard output's own file as the output, where standard output stands at
# its end: the anchor lines, then the message, neither written over the
# other; what it held before standard output was opened to append to it, or
# what was written through it before, stays. Windows' own >> is cmd's (bash's
# under Wine leaves the handle at the file's start, in a mode that Windows
# does not show: refused).
# Run the tool in cmd, with its standard output appended to file $1 by cmd's >>.
cmd_appending() {
	local exe
	exe=$("${tool[@]:0:${#tool[@]}-1}" winepath -w "${tool[-1]}") || return
	tool=("${tool[@]:0:${#tool[@]}-1}" cmd /c "${exe%$'\r'} $args >>$1")
	# shellcheck disable=SC2034 # the runner's, for this case's run
	argv=()
}
prep='exec >page' check=page t '80 in page' 'http://a b\n' '' 0 "$AB$DONE"
on=posix prep='exec >page' check=page t '80 in /dev/stdout' 'http://a b\n' '' 0 "$AB$DONE"
on=posix prep='printf "<ul>" >page && exec >>page' check=page t '80 in page' 'http://a b\n' '' 0 "<ul>$AB$DONE"
on=windows prep='printf "<ul>" >page && cmd_appending page' check=page t '80 in page' 'http://a b\n' '' 0 "<ul>$AB$DONE"
on=windows prep='printf "<ul>" >page && exec >>page' check=page t '80 in page' 'http://a b\n' '' 1 "<ul>$(cannot_open_output page)"
prep='exec >page && printf "<ul>"' check=page t '80 in page' 'http://a b\n' '' 0 "<ul>$AB$DONE"
# Standard output open on the file anywhere else (1<>, a parent's r+ open):
# refused, nothing but the message changed, written where standard output stands.
on=posix prep='printf "%060d" 0 >page && exec 1<>page' check=page t '80 in page' 'http://a b\n' '' 1 "$(cannot_open_output page)000000000000000000"
on=windows prep='printf "%060d" 0 >page && exec 1<>page' check=page t '80 in page' 'http://a b\n' '' 1 "$(cannot_open_output page)00000000000000000"
# A standard output open on the file for reading only is no way to write it;
# Wine says every standard handle may write its file, so there the run is
# refused as for 1<>.
on=posix prep='printf "<a href=\"http://x\">y</a>\\n" >page && exec 1<page' check=page t '80 in page' 'http://a b\n' '' 0 "$AB"
on=windows prep='printf "<a href=\"http://x\">y</a>\\n" >page && exec 1<page' check=page t '80 in page' 'http://a b\n' '' 1 =
