# shellcheck shell=bash
# Second views of one file through FUSE, which the system shows as another
# file, right after an edit of the same size, which their caches may not show
# yet: bindfs of a folder, and fuse-overlayfs as rootless containers mount it.
needs mounts fuse
bindfs_view() {
	mkdir src view && cp in src/in && bindfs src view && stat view/in >/dev/null &&
		printf 'http://c d\n' >src/in
}
fuse_overlay() {
	mkdir L U W M && fuse-overlayfs -o lowerdir=L,upperdir=U,workdir=W M 2>/dev/null && cp in M/in &&
		stat M/in >/dev/null && printf 'http://c d\n' >M/in
}
prep=bindfs_view check=src/in t '80 view/in src/in' 'http://a b\n' "$(output_is_input src/in)" 1 =
prep=bindfs_view check=src/in t '80 src/in view/in' 'http://a b\n' "$(output_is_input view/in)" 1 =
prep=fuse_overlay check=U/in t '80 M/in U/in' 'http://a b\n' "$(output_is_input U/in)" 1 =
prep=fuse_overlay check=U/in t '80 U/in M/in' 'http://a b\n' "$(output_is_input M/in)" 1 =
# A view of the list that may be written but not read (bindfs -p a-r, as an
# NFS or SMB share of another account can be), the tool run as nobody:
# nothing can be known of it, so it is refused, the list kept.
write_only_view() {
	mkdir real view && cp in real/in && chmod 666 real/in && bindfs -p a-r real view && as_nobody
}
on=posix prep=write_only_view check=real/in t '80 real/in view/in' 'http://a b\n' "$(cannot_open_output view/in)" 1 =
# Standard output's own file, named through a bindfs view of its folder,
# which shows the same inode number, size and time on another device:
# refused, its earlier content kept, instead of the message written over an
# anchor line or the anchor lines over the log.
stdout_view() {
	mkdir src view && printf 'old log: ' >src/run.log && bindfs src view && stat view/run.log >/dev/null
}
prep='stdout_view && exec >src/run.log' check=src/run.log t '80 in view/run.log' 'http://a b\n' '' 1 "$(cannot_open_output view/run.log)"
prep='stdout_view && exec >>src/run.log' check=src/run.log t '80 in view/run.log' 'http://a b\n' '' 1 "old log: $(cannot_open_output view/run.log)"
