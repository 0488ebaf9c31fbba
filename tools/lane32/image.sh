#!/bin/sh
# Builds, once per recipe, the emulated machine the 32-bit lane runs in: a
# Debian 12 x86-64 guest with 32- and 64-bit Wine, Xvfb and CTest, booted
# straight into its kernel by tools/lane32/run.sh. The recipe is
# recipe.sh (what the guest holds) and guest-init.sh (what it does when it
# starts); their checksum names the cache folder, so a changed recipe builds
# a new machine and an unchanged one is reused by every later run on this
# machine, CI's included. Building needs root (debootstrap, chroot).
#
#   image.sh    prints the folder that holds vmlinuz, initrd.img and
#               disk.img, building it first when it is missing
#
# Everything comes from Debian's packages, from the mirror this machine's
# own apt sources name. The Wine prefixes (win32 and win64) are made inside
# the guest at the end of the build, because only the guest can run 32-bit
# Wine; the test runs then use the disk read-only (QEMU's snapshot mode).
#
# The cache's lock file is held exclusively while a build makes its image
# and removes earlier ones, and shared by every run.sh job (run.sh): two
# builds never remove each other's images, nor one that a job is using.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cache=${LANE32_CACHE:-/var/cache/java-launcher-lane32}
key=$(cat "$here/recipe.sh" "$here/guest-init.sh" | sha256sum | cut -c1-16)
image="$cache/$key"
if [ -f "$image/ready" ] && [ -f "$cache/lock" ]; then echo "$image"; exit 0; fi
if [ "$(id -u)" != 0 ]; then exec sudo "$0" "$@"; fi
mkdir -p "$cache"
touch "$cache/lock"
chmod 644 "$cache/lock"
exec 9<"$cache/lock"
flock 9
# Another build may have made it while this one waited.
if [ -f "$image/ready" ]; then echo "$image"; exit 0; fi

log() { echo "lane32 image: $*" >&2; }

# The Debian mirror of this machine's own apt sources.
debian_mirror() {
  { grep -h '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '{print $2}'
    grep -h '^deb ' /etc/apt/sources.list 2>/dev/null | awk '{print $2}'; } |
    grep -v security | head -n 1
}

mirror=$(debian_mirror)
[ -n "$mirror" ] || { log "no Debian mirror in this machine's apt sources"; exit 1; }
started=$(date +%s)
# Earlier recipes' machines are of no further use.
find "$cache" -mindepth 1 -maxdepth 1 ! -name "$key" ! -name lock -exec rm -rf {} +
work="$image.building"
rm -rf "$work" "$image"
mkdir -p "$work"
root="$work/root"

log "bootstrapping Debian 12 from $mirror (a few minutes)"
debootstrap --variant=minbase --arch=amd64 bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1 ||
  { tail -20 "$work/debootstrap.log" >&2; exit 1; }

# Package scripts want /proc and /dev; they are unmounted again on the way out.
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
trap 'umount "$root/dev" 2>/dev/null; umount "$root/proc" 2>/dev/null' EXIT
log "installing Wine (32- and 64-bit), Xvfb, CTest and a kernel"
chroot "$root" /bin/sh -eu <"$here/recipe.sh" >"$work/install.log" 2>&1 ||
  { tail -30 "$work/install.log" >&2; exit 1; }
umount "$root/dev"
umount "$root/proc"
trap - EXIT

install -m 755 "$here/guest-init.sh" "$root/sbin/lane-init"
cp "$root"/boot/vmlinuz-* "$work/vmlinuz"
cp "$root"/boot/initrd.img-* "$work/initrd.img"
chmod 644 "$work/vmlinuz" "$work/initrd.img"
log "writing the disk image"
mke2fs -q -t ext4 -L lane32 -d "$root" "$work/disk.img" 10G
rm -rf "$root"

log "making the Wine prefixes inside the guest (a few minutes)"
"$here/run.sh" --image "$work" --prepare | tee "$work/prepare.log" >&2
grep -q "lane32: prepared" "$work/prepare.log" || { log "the guest could not make the Wine prefixes"; exit 1; }
echo "$(( $(date +%s) - started ))" >"$work/build-seconds"
mv "$work" "$image"
touch "$image/ready"
log "ready in $(cat "$image/build-seconds") s: $image"
echo "$image"
