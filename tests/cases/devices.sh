# shellcheck shell=bash
# Input and output that are not plain files: folders, devices, FIFOs, and
# writes that fail.
t '80 . out' - 'Error opening input file ., aborting!\n' 1 -
prep='mkdir sub && printf old >out' t '80 sub out' - 'Error opening input file sub, aborting!\n' 1 'old'
prep='mkdir out' check=in t '80 in out' 'http://a b\n' 'Error opening output file out, aborting!\n' 1 =
t '80 in /dev/full' 'http://a b\n' 'Error writing output file /dev/full, aborting!\n' 1 -
t '80 in /dev/full' '' "$DONE" 0 -
# Windows: a device's name stays one, but a name that Windows takes for a
# device (nul.html, com1.txt) is refused, and nothing is written to it.
on=windows t '80 in NUL' 'http://a b\n' "$DONE" 0 -
on=windows t '80 in nul.html' 'http://a b\n' 'Error opening output file nul.html, aborting!\n' 1 -
on=windows t '80 in com1.txt' 'http://a b\n' 'Error opening output file com1.txt, aborting!\n' 1 -
# A file of the system's that holds what hrefgen never writes is kept.
on=posix t '80 in /proc/self/comm' 'http://a b\n' 'Error opening output file /proc/self/comm: it is not an earlier output, aborting!\n' 1 -
# A reader that goes away, or a file size limit, is a write error like any
# other; what was written up to the limit (100 KiB) stays.
on=posix prep='link_lines 20000 && head -c 102400 want >part && ulimit -f 100' t '80 in out' - 'Error writing output file out, aborting!\n' 1 @part
on=posix prep='link_lines 20000 && mkfifo of && { head -c 10 of >/dev/null & }' t '80 in of' - 'Error writing output file of, aborting!\n' 1 -
