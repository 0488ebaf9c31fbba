# The emulated machine's recipe, run by image.sh inside the bootstrapped
# Debian 12 (chroot, /bin/sh -eu): what is installed in the guest besides
# debootstrap's minimal base. Its checksum, with the guest's init script's,
# names the cached image: change either and the next run builds anew.
export DEBIAN_FRONTEND=noninteractive
# A small initial RAM disk that holds only what finds the root disk: it is
# made faster and boots faster under emulation than the usual one.
mkdir -p /etc/initramfs-tools/conf.d
echo MODULES=list >/etc/initramfs-tools/conf.d/lane32
printf '%s\n' virtio_pci virtio_blk ext4 >>/etc/initramfs-tools/modules
dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq --no-install-recommends \
  wine wine32 wine64 xvfb xauth python3 cmake linux-image-amd64 kmod procps iproute2
apt-get clean
rm -rf /var/lib/apt/lists/*
