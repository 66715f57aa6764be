# shellcheck shell=bash
# Names beyond ASCII, as the user typed them, in any code page and on every
# Windows version: each is read as input and written under exactly that name,
# and naming it as both input and output is refused. A look-alike, the name a
# lossy conversion would reach, is never read nor written.
# Move 'in' into folder $1, made if need be, and go there.
enter() {
	[ "$1" = . ] || { mkdir -p "$1" && mv in "$1/" && cd "$1" || return; }
}
# named NAME [LOOK_ALIKE [FOLDER]]: the cases for NAME, run in FOLDER.
named() {
	local name=$1 decoy=${2:-liste-e.txt} folder=${3:-.}
	local setup="printf 'http://decoy x\\n' >'$decoy' && enter '$folder'"
	prep="$setup && mv in '$name'" check=$folder/out t "80 '$name' out" 'http://a b\n' "$DONE" 0 "$AB"
	prep="$setup" check=$folder/$name t "80 in '$name'" 'http://a b\n' "$DONE" 0 "$AB"
	prep="cp in '$decoy' && enter '$folder'" check=$decoy t "80 in '$name'" 'http://a b\n' "$DONE" 0 =
	prep="$setup && mv in '$name'" check=$folder/$name t "80 '$name' '$name'" 'http://a b\n' "$(output_is_input "$name")" 1 =
}
# shellcheck disable=SC1112 # the curly apostrophe that Windows and Word put in names
named 'Bob’s links.txt'
named 'prix-€.txt'
named 'liste-é.txt'
named 'список.txt'
named '日本語.txt'
named 'emoji-😀.txt'
named 'liste-ő.txt' 'liste-o.txt'
named 'ｌｉｎｋｓ.txt' 'links.txt'
named '..＼victim.txt' 'victim.txt' sub
