# shellcheck shell=bash
# Files that the user may not read or write, the tool run as nobody where
# the cases run as root. An input that cannot be opened for writing still
# gets the refusal of the same file.
on=posix prep='chmod 444 in && as_nobody' check=in t '80 in in' 'http://a b\n' "$(output_is_input in)" 1 =
on=posix prep='mkdir ro && chmod 555 ro && as_nobody' t '80 in ro/out' 'http://a b\n' "$(cannot_open_output ro/out)" 1 -
on=posix prep='chmod 000 in && as_nobody' t '80 in out' 'http://a b\n' "$(cannot_open_input in)" 1 -
