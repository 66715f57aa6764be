# shellcheck shell=bash
# The read limit: atoi's rules, 32-bit wrap-around, no range check.
t '51 in out' "$LONG" "$DONE" 0 "$A40"
t '40 in out' "$LONG" "$DONE" 0 "$A30"
t "' +40' in out" "$LONG" "$DONE" 0 "$A30"
t $'"\t\n\v\f\r40" in out' "$LONG" "$DONE" 0 "$A30"
t $'"\b40" in out' "$LONG" "$READ1" 1 -
t $'"\x0e40" in out' "$LONG" "$READ1" 1 -
t '40x in out' "$LONG" "$DONE" 0 "$A30"
t '0040 in out' "$LONG" "$DONE" 0 "$A30"
t '４０ in out' "$LONG" "$READ1" 1 -
t '4294967336 in out' "$LONG" "$DONE" 0 "$A30"
t '0 in out' "$LONG" "$READ1" 1 -
t '-0 in out' "$LONG" "$READ1" 1 -
t 'abc in out' "$LONG" "$READ1" 1 -
t "'' in out" "$LONG" "$READ1" 1 -
t '+-40 in out' "$LONG" "$READ1" 1 -
t "' 'x40 in out" "$LONG" "$READ1" 1 -
t '1 in out' "$LONG" "$READ1" 1 -
t '-4294967295 in out' "$LONG" "$READ1" 1 -
t '0 in out' '' "$READ1" 1 -
prep='printf "<a href=\"http://x\">y</a>\\n" >out' t '1 in out' '' "$READ1" 1 =
t '-1 in out' "$LONG" "$NOMEM" 1 -
t '-1 nope out' - "$NOMEM" 1 -
prep='printf old >out' t '-40 in out' "$LONG" "$NOMEM" 1 'old'
t '2147483648 in out' "$LONG" "$NOMEM" 1 -
t '-2147483648 in out' "$LONG" "$NOMEM" 1 -
t '4294967295 in out' "$LONG" "$NOMEM" 1 -
# The number typed last, then between the names: the limit is 0, and the run
# fails at its first read without creating or emptying a file.
earlier_output() { printf '<a href="http://x">y</a>\n' >out; }
# The slip of the line before, a run that fails.
number_last() { (exec_tool in out 4096 >/dev/null) || :; }
prep=earlier_output check=4096 t 'in out 4096' 'http://a b\n' "$(cannot_read out 1)" 1 -
prep='earlier_output && number_last' t 'in 4096 out' 'http://a b\n' "$(cannot_open_input 4096)" 1 =
