# shellcheck shell=bash
# Big inputs: a read limit of 2 GiB, a link line of several megabytes read
# with it, 100 MB without a newline, 3 MB of random bytes read a byte at a time.
needs native-speed
t '2147483647 in out' "$LONG" "$DONE" 0 "$A40"
prep='long_link_line 4000000' t '2147483647 in out' - "$DONE" 0 @want
prep='xs 100000000 >in' t '4096 in out' - "$DONE" 0 ''
prep='{ xs 50000000; printf "http://a b\n"; } >in' t '4096 in out' - "$DONE" 0 "$AB"
prep='head -c 3000000 /dev/urandom >in' t '2 in out' - "$DONE" 0 ''
