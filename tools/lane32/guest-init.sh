#!/bin/sh
# The emulated machine's first process (/sbin/lane-init in its disk). It
# sets up the guest, then either makes the Wine prefixes (lane.mode=prepare,
# once, while the image is built) or mounts the host's checkout at the
# same path as on the host (lane.top=PATH, shared with virtio-9p) and runs
# one job from it (lane.job=SCRIPT, relative to that checkout). The job's
# exit status goes to lane.status (a file in the checkout); then the guest
# powers off.
PATH=/usr/sbin:/usr/bin:/sbin:/bin
export PATH HOME=/root LANG=C
mount -t proc proc /proc
mountpoint -q /sys || mount -t sysfs sys /sys
mount -t devtmpfs dev /dev 2>/dev/null
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
# Wine's and X's sockets live here: they cannot live on the 9p share.
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
# The tests talk to servers of their own on 127.0.0.1.
ip link set lo up
hostname lane32

mode=job top="" job="" status_file=""
for word in $(cat /proc/cmdline); do
  case $word in
    lane.mode=*) mode=${word#lane.mode=} ;;
    lane.top=*) top=${word#lane.top=} ;;
    lane.job=*) job=${word#lane.job=} ;;
    lane.status=*) status_file=${word#lane.status=} ;;
  esac
done

power_off() {
  sync
  # Clean, so that a later boot of the (cached) disk replays no journal.
  mount -o remount,ro / 2>/dev/null
  echo o >/proc/sysrq-trigger
  sleep 60
}

# The prefixes the tests run in; without Mono and Gecko, whose installers
# would otherwise wait for an answer.
make_prefix() {  # make_prefix ARCH FOLDER
  echo "lane32: making the $1 prefix $2"
  mkdir -p "$(dirname "$2")"
  WINEARCH=$1 WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/tmp/wineboot.log 2>&1
  WINEPREFIX=$2 wineserver -w
  [ -f "$2/system.reg" ] || { tail -20 /tmp/wineboot.log; return 1; }
  # The test bed's settings: without a window manager Wine otherwise waits
  # 2 s whenever a visible window goes away; addresses the launcher opens go
  # to a recorder that each run puts at this path (guest-tests.sh).
  cat >/tmp/settings.reg <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineBrowser]
"Browsers"="/usr/local/bin/lane32-browser"
REG
  WINEPREFIX=$2 WINEDEBUG=-all wine regedit /S 'Z:\tmp\settings.reg' >/dev/null 2>&1
  WINEPREFIX=$2 wineserver -w
  grep -q lane32-browser "$2/user.reg" || { echo "lane32: the $1 prefix did not take its settings"; return 1; }
  echo "lane32: $1 prefix ready after $(cut -d' ' -f1 /proc/uptime) s"
}

if [ "$mode" = prepare ]; then
  mount -o remount,rw /
  make_prefix win32 /opt/wine/win32 && make_prefix win64 /opt/wine/win64 && echo "lane32: prepared"
  power_off
fi

modprobe 9pnet_virtio
modprobe 9p
mkdir -p "$top"
mount -t 9p -o trans=virtio,version=9p2000.L,msize=524288,cache=loose top "$top" ||
  { echo "lane32: cannot mount the checkout"; power_off; }
echo "lane32: guest up after $(cut -d' ' -f1 /proc/uptime) s"
sh "$top/$job"
echo "$?" >"$status_file"
power_off
