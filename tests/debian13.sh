#!/usr/bin/env bash
# The README on the Debian that users install today: make a minimal Debian 13
# (trixie) with debootstrap in build/debian-13, install there only what
# README.md's "Build from source" tells a new user to install, run its two
# commands as written (the second runs the g++ builds' case tables), ask
# apt whether tests/install-deps.sh would install all it names there, and
# install what the rest needs, the cases' tools with it: what else Debian
# 13's own tools (its compilers, linters, CMake, C library and packaging
# tools) can break, the clang build with its case table, lint, and the .deb
# for this machine with its checks and lintian. Memcheck runs on the
# machine itself.
# The Windows and ARM binaries, and the release files, are built and run on
# the machine itself (the other legs): no user runs them under Debian 13's
# Wine or qemu. It tests the committed tree (a clone of HEAD), and undoes its
# mounts when it ends. Debian comes from the mirror of its main archive that
# this machine's apt uses, whichever it is.
#
# usage: tests/debian13.sh           (as root; needs debootstrap and git)
#        tests/debian13.sh --mirror  only print that mirror
set -uo pipefail
cd "$(dirname "$0")/.." || exit
root=$PWD/build/debian-13
tree=/root/hrefgen
log=$PWD/build/debian-13.log

# Undo every mount under the chroot, the deepest first.
unmount_all() {
	awk -v root="$root/" 'index($2, root) == 1 { print $2 }' /proc/self/mounts | sort -r |
		while read -r point; do umount -l "$point"; done
}

# Run the shell command $1 in the tree inside the chroot, as root, with a
# new user's environment and the settings NAME=VALUE that follow.
inside() {
	echo "--- debian-13: $1"
	chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
		"${@:2}" bash -c "cd $tree && $1"
}

# The mirror of Debian's main archive among this machine's apt sources, in
# either format: the first one whose Release file says Origin and Label
# Debian, as the security archive (Label Debian-Security) and other
# repositories do not.
mirror=$(
	# shellcheck disable=SC2016 # apt's fields, not the shell's
	apt-get indextargets --format '$(REPO_URI) $(TARGET_OF) $(ORIGIN) $(LABEL)' |
		awk 'NF == 4 && $2 == "deb" && $3 == "Debian" && $4 == "Debian" { print $1; exit }'
)
[ -n "$mirror" ] || {
	echo "debian13.sh: found no mirror of Debian's main archive in this machine's apt sources;" \
		"apt knows one by its Release file (Origin and Label Debian), which apt-get update fetches"
	exit 1
}
mirror=${mirror%/}
[ "${1:-}" != --mirror ] || { echo "$mirror"; exit 0; }

# The shell blocks of README.md's "Build from source", one a line.
mapfile -t commands < <(awk -v section="## Build from source" -f tests/readme-blocks.awk README.md)
[ ${#commands[@]} = 3 ] ||
	{ echo "README.md's Build from source should hold 3 shell blocks, not ${#commands[@]}"; exit 1; }
trap unmount_all EXIT
unmount_all
# Never remove through a mount that is still there: /dev is the host's own.
if grep -q " $root/" /proc/self/mounts; then
	echo "debian13.sh: $root still has mounts; undo them first"
	exit 1
fi
rm -rf --one-file-system "$root"
mkdir -p build
echo "--- debootstrap --variant=minbase trixie build/debian-13 $mirror"
debootstrap --variant=minbase trixie "$root" "$mirror" >"$log" 2>&1 ||
	{ tail -n 20 "$log"; exit 1; }
mount -t proc proc "$root/proc" && mount --rbind /dev "$root/dev" && mount --make-rslave "$root/dev" &&
	mount --rbind /sys "$root/sys" && mount --make-rslave "$root/sys" || exit 1
cp /etc/resolv.conf "$root/etc/" && git clone -q "$PWD" "$root$tree" || exit 1
# The prerequisites, as root: apt's progress goes to the log.
inside "${commands[0]}" >>"$log" 2>&1 || { tail -n 20 "$log"; exit 1; }
inside "${commands[1]}" && inside "${commands[2]}" &&
	inside "bash tests/install-deps.sh --simulate && bash tests/install-deps.sh cases clang lint deb" &&
	inside "bash tests/run_all.sh clang lint" CI="${CI:-}" \
		HREFGEN_REQUIRE_ALL="${HREFGEN_REQUIRE_ALL:-0}" HREFGEN_TEST_MOUNTS="${HREFGEN_TEST_MOUNTS:-0}" &&
	inside "bash packaging/release.sh --deb && bash packaging/check-release.sh --deb"
