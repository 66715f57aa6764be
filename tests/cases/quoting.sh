# shellcheck shell=bash
# Arguments as typed, split by the usual rules: spaces inside quotes, a quote
# inside a name, a backslash that ends a quoted name.
prep='mv in "my links.txt"' t "80 'my links.txt' out" 'http://a b\n' "$DONE" 0 "$AB"
t "80 'no\"pe' out" - "$(cannot_open_input 'no"pe')" 1 -
prep='mkdir "my dir"' t "80 'my dir\\' out" - "$(cannot_open_input "my dir\\")" 1 -
