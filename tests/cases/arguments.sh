# shellcheck shell=bash
# The command line: fewer than three arguments, and more.
t '' - "$USAGE" 1 -
t '80' - "$USAGE" 1 -
t '80 in' 'http://a b\n' "$USAGE" 1 -
t '80 in out extra more' 'http://a b\n' "$DONE" 0 "$AB"
