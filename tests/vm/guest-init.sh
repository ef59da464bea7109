#!/bin/busybox sh
# /init of the test VM: loads the USB/IP, USB HID and 9p modules, mounts the
# host's root read-only, and runs the scenario chrooted into it with writable
# tmpfs folders. Prints "corvane-vm-result: rc=N" and powers off.
/bin/busybox --install -s /bin
export PATH=/bin

mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev

# Dependencies first; the list was made from each module's depends field.
while read -r module; do
  insmod "/modules/$module.ko" || echo "insmod $module failed"
done </modules/order

. /test.env

result() {
  echo "corvane-vm-result: rc=$1"
  sync
  reboot -f
}

mkdir -p /host
if ! mount -t 9p -o trans=virtio,version=9p2000.L,ro,cache=loose,msize=262144 hostroot /host; then
  echo "cannot mount the host root"
  result 90
fi
mount -t proc proc /host/proc
mount -t sysfs sysfs /host/sys
mount -t devtmpfs devtmpfs /host/dev
# The host root stays read-only: everything the program writes goes to
# tmpfs under /run, and to /tmp unless the build itself lies there.
mount -t tmpfs tmpfs /host/run
case "$SCENARIO" in
  /tmp/*) ;;
  *) mount -t tmpfs tmpfs /host/tmp ;;
esac
mkdir -p /host/dev/shm /host/run/home /host/run/xdg /host/run/tmp
mount -t tmpfs tmpfs /host/dev/shm
chmod 700 /host/run/xdg

chroot /host /usr/bin/env -i PATH=/usr/bin:/bin HOME=/run/home XDG_RUNTIME_DIR=/run/xdg \
  XDG_CONFIG_HOME=/run/home/.config TMPDIR=/run/tmp LANG=C.UTF-8 \
  "$SCENARIO" "$PROGRAM"
result $?
