# shellcheck shell=bash
# Second views of one file that the system shows as another, made by
# mounting: an overlay's layer and its merged view, a loop device and its
# file; and a bare chroot's missing /dev. What a case mounts is undone after it.
needs mounts
# An overlay's layer and its merged view show one file on two devices: refused
# both ways, for a file of the upper layer, for one only in the lower, for one
# that a change through the view has copied up, and with the lower layer on a
# file system of its own (xino=on). A refusal copies nothing up.
# Mount a tmpfs on 'fs' and an overlay in it, with the mount options $1: 'in'
# copied to the lower layer's file fs/L/low (a tmpfs of its own with xino=on)
# and the upper layer's fs/U/up, both seen in fs/M.
# shellcheck disable=SC2120 # prep='overlay xino=on' passes one
overlay() {
	mkdir fs && mount -t tmpfs tmpfs fs && mkdir fs/L fs/U fs/W fs/M &&
		{ [ "${1:-}" != xino=on ] || mount -t tmpfs tmpfs fs/L; } && cp in fs/L/low && cp in fs/U/up &&
		mount -t overlay overlay -o "lowerdir=fs/L,upperdir=fs/U,workdir=fs/W${1:+,$1}" fs/M
}
# The overlay, with a line appended to fs/M/low, which copies it up to fs/U/low.
copied_up() {
	overlay && printf 'http://c d\n' >>fs/M/low
}
prep=overlay check=fs/U/up t '80 fs/U/up fs/M/up' 'http://a b\n' "$(output_is_input fs/M/up)" 1 =
prep=overlay check=fs/U/up t '80 fs/M/up fs/U/up' 'http://a b\n' "$(output_is_input fs/U/up)" 1 =
prep=overlay check=fs/L/low t '80 fs/M/low fs/L/low' 'http://a b\n' "$(output_is_input fs/L/low)" 1 =
prep=overlay check=fs/L/low t '80 fs/L/low fs/M/low' 'http://a b\n' "$(output_is_input fs/M/low)" 1 =
prep=overlay check=fs/U/low t '80 fs/L/low fs/M/low' 'http://a b\n' "$(output_is_input fs/M/low)" 1 -
prep=copied_up check=fs/U/low t '80 fs/U/low fs/M/low' 'http://a b\n' "$(output_is_input fs/M/low)" 1 =
prep=copied_up check=fs/U/low t '80 fs/M/low fs/U/low' 'http://a b\n' "$(output_is_input fs/U/low)" 1 =
# A list of the user's only in the lower layer, refused as the output of
# another list, is not copied up either; an earlier output there is copied
# up, which changes its change time but not its size or modification time,
# and replaced.
prep='overlay && printf "http://c d\n" >in2' check=fs/U/low t '80 in2 fs/M/low' 'http://a b\n' "$(not_earlier_output fs/M/low)" 1 -
prep='mv in in2 && printf "<a href=\"http://x\">y</a>\n" >in && overlay' check=fs/U/low t '80 in2 fs/M/low' 'http://a b\n' "$DONE" 0 "$AB"
prep='overlay xino=on' check=fs/L/low t '80 fs/M/low fs/L/low' 'http://a b\n' "$(output_is_input fs/L/low)" 1 =
prep='overlay xino=on' check=fs/L/low t '80 fs/L/low fs/M/low' 'http://a b\n' "$(output_is_input fs/M/low)" 1 =
# Two files on two devices with the same inode number, size, permissions and
# time stamps, each the first file of a fresh tmpfs, are two files.
two_tmpfs() {
	mkdir a b && mount -t tmpfs tmpfs a && mount -t tmpfs tmpfs b && cp in a/in &&
		printf '          \n' >b/out && touch -d @1700000000 a/in b/out &&
		[ "$(stat -c %i.%s.%a a/in)" = "$(stat -c %i.%s.%a b/out)" ]
}
prep=two_tmpfs check=b/out t '80 a/in b/out' 'http://a b\n' "$DONE" 0 "$AB"
# A block device that holds nothing but what hrefgen writes is written from
# its start: a zeroed one. Attach a loop device to 'disk', 512 bytes $1 (NUL
# bytes by default), as 'dev', detached once the tool, which inherits
# descriptor 9 on it, ends; 'want' is 'disk' with the anchor line of 'in' at
# its start.
# shellcheck disable=SC2120 # prep='loop_device x' passes one
loop_device() {
	head -c 512 /dev/zero | tr '\0' "${1:-\0}" >disk && ln -s "$(losetup -f --show disk)" dev &&
		exec 9<dev && losetup -d "$(readlink dev)" &&
		{ printf '%s\n' '<a href="http://a">b</a>'; tail -c $((512 - 25)) disk; } >want
}
on=posix prep=loop_device check=disk t '80 in dev' 'http://a b\n' "$DONE" 0 @want
# Standard output sent to the device, which cannot be written at its end:
# refused, the message written where standard output stands, at its start.
on=posix prep="loop_device && { printf '%b' '$(cannot_open_output dev)'; tail -c 471 disk; } >refused && exec >dev" check=disk t '80 in dev' 'http://a b\n' '' 1 @refused
on=posix prep='loop_device x' check=disk t '80 in dev' 'http://a b\n' "$(not_earlier_output dev)" 1 =
# A device that holds a mounted file system is never written, whatever it
# holds: 'dev' is the loop device of 'disk', an ext4 file system mounted on 'mnt'.
mounted_device() {
	head -c 4M /dev/zero >disk && mkfs.ext4 -q -F disk && mkdir mnt && mount -o loop disk mnt &&
		ln -s "$(losetup -j disk -O NAME -n)" dev
}
on=posix prep=mounted_device check=disk t '80 in dev' 'http://a b\n' "$(cannot_open_output dev)" 1 =
# An earlier output in a folder bound read-only cannot be written: refused, kept.
read_only_folder() {
	mkdir real ro && printf '<a href="http://x">y</a>\n' >real/out && mount --bind real ro &&
		mount -o remount,bind,ro ro
}
on=posix prep=read_only_folder check=real/out t '80 in ro/out' 'http://a b\n' "$(cannot_open_output ro/out)" 1 =
# A second node of one block device is that device: the loop device of
# loop_device, its list written at its start, and a second node 'dev2' of it.
two_nodes() {
	loop_device && printf 'http://a b\n' | dd of=dev conv=notrunc,fsync status=none &&
		mknod dev2 b "$((0x$(stat -L -c %t dev)))" "$((0x$(stat -L -c %T dev)))"
}
on=posix prep=two_nodes check=disk t '80 dev dev2' - "$(output_is_input dev2)" 1 =
# A loop device shows the bytes of its file: the two are one, both ways, and
# so are two loop devices of one file, even one that starts further in, which
# only the loop driver can tie to the file. 'disk' holds 128 numbered link
# lines; 'dev' is a loop device of 'disk' and 'dev2' one that starts 512
# bytes in, both detached once the tool, which holds them open, ends.
loops() {
	seq -f 'http://a/%04g b' 128 >disk &&
		ln -s "$(losetup -f --show disk)" dev && ln -s "$(losetup -f --show -o 512 disk)" dev2 &&
		exec 8<dev 9<dev2 && losetup -d "$(readlink dev)" "$(readlink dev2)"
}
on=posix prep=loops check=disk t '80 disk dev' - "$(output_is_input dev)" 1 =
on=posix prep=loops check=disk t '80 dev disk' - "$(output_is_input disk)" 1 =
on=posix prep=loops check=disk t '80 dev dev2' - "$(output_is_input dev2)" 1 =
on=posix prep=loops check=disk t '80 disk dev2' - "$(output_is_input dev2)" 1 =
# A partition of a loop device shows bytes of its file too: 'disk' holds a
# partition table whose one partition, zeroed, is 'part' of its loop device
# 'dev', detached once the tool, which holds 'dev' open, ends. partx reads the
# table, which a kernel may not (Firecracker's has no MBR parser).
partition() {
	{
		head -c 446 /dev/zero
		printf '\0\0\0\0\203\0\0\0\1\0\0\0\7\0\0\0' && head -c 48 /dev/zero && printf '\125\252'
		head -c 3584 /dev/zero
	} >disk && ln -s "$(losetup -f -P --show disk)" dev && exec 9<dev && losetup -d "$(readlink dev)" &&
		partx -u "$(readlink dev)" && ln -s "$(readlink dev)p1" part && [ -b part ]
}
on=posix prep=partition check=disk t '80 disk part' - "$(output_is_input part)" 1 =
# With no /dev at all, as in a bare chroot, a closed stream is still filled.
on=posix prep='exec 0<&- && without_dev' t '80 in out' 'http://a b\n' "$DONE" 0 "$AB"
