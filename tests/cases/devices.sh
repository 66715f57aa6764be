# shellcheck shell=bash
# Input and output that are not plain files: folders, devices, FIFOs, and
# writes that fail.
t '80 . out' - "$(cannot_open_input .)" 1 -
prep='mkdir sub && printf old >out' t '80 sub out' - "$(cannot_open_input sub)" 1 'old'
prep='mkdir out' check=in t '80 in out' 'http://a b\n' "$(cannot_open_output out)" 1 =
t '80 in /dev/full' 'http://a b\n' "$(cannot_write /dev/full)" 1 -
t '80 in /dev/full' '' "$DONE" 0 -
# Windows: a device's name stays one, but a name that Windows takes for a
# device (nul.html, com1.txt) is refused, and nothing is written to it.
on=windows t '80 in NUL' 'http://a b\n' "$DONE" 0 -
on=windows t '80 in nul.html' 'http://a b\n' "$(cannot_open_output nul.html)" 1 -
on=windows t '80 in com1.txt' 'http://a b\n' "$(cannot_open_output com1.txt)" 1 -
# A file of the system's that holds what hrefgen never writes is kept.
on=posix t '80 in /proc/self/comm' 'http://a b\n' "$(not_earlier_output /proc/self/comm)" 1 -
# A reader that goes away, or a file size limit, is a write error like any
# other; what was written up to the limit (100 KiB) stays.
on=posix prep='link_lines 20000 && head -c 102400 want >part && ulimit -f 100' t '80 in out' - "$(cannot_write out)" 1 @part
on=posix prep='link_lines 20000 && mkfifo of && { head -c 10 of >/dev/null & }' t '80 in of' - "$(cannot_write of)" 1 -
