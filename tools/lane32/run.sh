#!/bin/sh
# Boots the emulated machine of tools/lane32/image.sh and runs one job in it.
#
#   run.sh JOB [ARG...]      runs the shell script JOB (a path inside this
#                            checkout) in the guest, with this checkout
#                            mounted at the same path as here; exits with
#                            the job's status
#   run.sh --image DIR --prepare
#                            the image build's own boot: makes the Wine
#                            prefixes on the (then writable) disk
#
# Software emulation (there is no KVM): QEMU's emulated SMAP kills Wine's
# processes, so the CPU has it off and the kernel is told nosmap. The guest's
# console is this script's output. The disk is used in snapshot mode: what
# a job writes to it is gone after the run, so every run starts alike.
#
# A guest never outlives its bound (LANE32_TIMEOUT seconds, default 5400
# for a job and 3600 for the image's preparation): QEMU is killed then.
# A guest whose power-off fails ends its init; the kernel's panic then
# (panic=1, with -no-reboot) ends QEMU. While a job runs, it holds the image cache's
# lock shared, so that no image build removes the image under it.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
image="" prepare=""
while [ $# -gt 0 ]; do
  case $1 in
    --image) image=$2; shift 2 ;;
    --prepare) prepare=1; shift ;;
    *) break ;;
  esac
done
[ -n "$image" ] || image=$("$here/image.sh")

share=""
if [ -n "$prepare" ]; then
  limit=${LANE32_TIMEOUT:-3600}
  append="lane.mode=prepare"
  disk="file=$image/disk.img,format=raw,if=virtio"
else
  [ $# -ge 1 ] || { echo "usage: run.sh JOB" >&2; exit 2; }
  limit=${LANE32_TIMEOUT:-5400}
  # Released when this script ends; image.sh takes it exclusively.
  exec 8<"$(dirname "$image")/lock"
  flock -s 8
  job=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
  case $job in "$top"/*) ;; *) echo "run.sh: $1 is not inside $top" >&2; exit 2 ;; esac
  case $top in *[!A-Za-z0-9/._-]*) echo "run.sh: the checkout's path must be plain: $top" >&2; exit 2 ;; esac
  shift
  # The job's arguments reach it through a file beside its status.
  state="$top/build/lane32"
  mkdir -p "$state"
  rm -f "$state/status"
  printf '%s\n' "$@" >"$state/args"
  append="lane.top=$top lane.job=${job#"$top"/} lane.status=$state/status"
  disk="file=$image/disk.img,format=raw,if=virtio,snapshot=on"
  share="-virtfs local,path=$top,mount_tag=top,security_model=none"
fi

set +e
timeout -s KILL "$limit" qemu-system-x86_64 -machine q35 -accel tcg,thread=multi -cpu max,-smap -smp "$(nproc)" -m 6144 \
  -nographic -no-reboot -nic none \
  -kernel "$image/vmlinuz" -initrd "$image/initrd.img" \
  -append "root=/dev/vda rw init=/sbin/lane-init console=ttyS0 nosmap panic=1 quiet loglevel=3 $append" \
  -drive "$disk" $share </dev/null
qemu_status=$?
set -e
[ $qemu_status != 137 ] || { echo "run.sh: the guest did not end within $limit s; QEMU was killed" >&2; exit 1; }
[ $qemu_status = 0 ] || { echo "run.sh: qemu ended with status $qemu_status" >&2; exit 1; }
[ -n "$prepare" ] && exit 0
status=$(cat "$top/build/lane32/status" 2>/dev/null || echo "")
[ -n "$status" ] || { echo "run.sh: the guest ended without a job status" >&2; exit 1; }
exit "$status"
