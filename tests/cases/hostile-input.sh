# shellcheck shell=bash
# Hostile input: binary bytes, no newlines at all, random data.
on=posix t '80 in out' '\xff\xfe\0\0http://\x1a\x01\r\r \0 \r\n\x80http://\x1b[31m \x00\xc0\x1a\n\rhttp://\xe2\x80\xae x\r' "$DONE" 0 '<a href="http://\x1b[31m"></a>\n<a href="http://\xe2\x80\xae">x\r</a>\n'
on=windows t '80 in out' '\xff\xfe\0\0http://\x1a\x01\r\r \0 \r\n\x80http://\x1b[31m \x00\xc0\x1a\n\rhttp://\xe2\x80\xae x\r' "$DONE" 0 ''
prep='head -c 3000000 /dev/urandom >in' check=in t '80 in out' - "$DONE" 0 =
