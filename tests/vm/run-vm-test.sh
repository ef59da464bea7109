#!/usr/bin/env bash
# The program against the real Linux USB and HID stack: boots Debian's
# generic kernel in qemu (software emulation), with the host's root
# read-only over 9p, and runs corvane-vm-scenario inside it. The scenario
# plugs emulated USB HID devices into vhci-hcd over USB/IP and checks the
# program against them.
#
#   tests/vm/run-vm-test.sh BUILD_DIR
#
# Needs qemu-system-x86, busybox-static, cpio and kmod (scripts/install-deps.sh
# installs them); installs nothing itself. The kernel package is fetched once
# with apt-get download into BUILD_DIR/vm/ and reused. The serial log is kept
# in BUILD_DIR/vm/serial.log. Exits non-zero on failure and on timeout.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: run-vm-test.sh BUILD_DIR}" && pwd)
program=$build/bin/corvane-notification
scenario=$build/bin/corvane-vm-scenario
work=$build/vm
timeout_seconds=${CORVANE_VM_TIMEOUT:-240}

fail() {
  echo "vm-test: FAIL: $*" >&2
  exit 1
}

for tool in qemu-system-x86_64 cpio modinfo dpkg-deb apt-get gzip timeout; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done
busybox=/bin/busybox
[[ -x $busybox ]] || fail "$busybox is missing (package busybox-static)"
[[ -x $program && -x $scenario ]] || fail "build corvane-notification and corvane-vm-scenario first"

mkdir -p "$work"

# --- the kernel: the package that linux-image-amd64 points at -------------
kernel_package() {
  apt-cache depends linux-image-amd64 2>/dev/null |
    awk '/Depends: linux-image-[0-9]/ { print $2; exit }'
}

kernel_root=$work/kernel
if ! compgen -G "$kernel_root/boot/vmlinuz-*" >/dev/null; then
  package=$(kernel_package)
  if [[ -z $package && $(id -u) -eq 0 ]]; then
    apt-get update -qq >/dev/null 2>&1 || true
    package=$(kernel_package)
  fi
  [[ -n $package ]] || fail "cannot tell which kernel package linux-image-amd64 depends on"
  echo "vm-test: fetching $package" >&2
  download=$(mktemp -d "$work/download.XXXXXX")
  (cd "$download" && apt-get download -qq "$package" 2>/dev/null) ||
    fail "apt-get download $package failed"
  rm -rf "$kernel_root.partial"
  dpkg-deb -x "$download"/*.deb "$kernel_root.partial"
  rm -rf "$download" "$kernel_root"
  mv "$kernel_root.partial" "$kernel_root"
fi
vmlinuz=$(compgen -G "$kernel_root/boot/vmlinuz-*" | head -n 1)
module_dir=$(compgen -G "$kernel_root/lib/modules/*" | head -n 1)

# --- the initramfs -----------------------------------------------------------
root=$work/initramfs
rm -rf "$root"
mkdir -p "$root"/{bin,dev,proc,sys,modules}
cp "$busybox" "$root/bin/busybox"
install -m 755 "$here/guest-init.sh" "$root/init"
printf 'PROGRAM=%q\nSCENARIO=%q\n' "$program" "$scenario" >"$root/test.env"

declare -A module_file=()
while IFS= read -r file; do
  name=$(basename "$file" .ko)
  module_file[$name]=$file
  module_file[${name//-/_}]=$file
done < <(find "$module_dir/kernel" -name '*.ko')

declare -A loaded=()
order=()
add_module() {  # depth-first: dependencies before the module
  local name=${1//-/_} file dep
  [[ -n ${loaded[$name]:-} ]] && return 0
  loaded[$name]=1
  file=${module_file[$name]:-}
  [[ -n $file ]] || fail "module $1 is not in $module_dir"
  for dep in $(modinfo -F depends "$file" | tr ',' ' '); do
    add_module "$dep"
  done
  cp "$file" "$root/modules/$name.ko"
  order+=("$name")
}
for module in virtio_pci 9pnet_virtio 9p usbip-core vhci-hcd usbhid hid-generic; do
  add_module "$module"
done
printf '%s\n' "${order[@]}" >"$root/modules/order"

initramfs=$work/initramfs.cpio.gz
(cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) >"$initramfs"

# --- the run -----------------------------------------------------------------
log=$work/serial.log
echo "vm-test: booting $(basename "$vmlinuz") with ${#order[@]} modules" >&2
started=$SECONDS
set +e
timeout --kill-after=10 "$timeout_seconds" \
  qemu-system-x86_64 -accel tcg -m 512M -smp 1 -nodefaults -no-user-config -nographic \
  -serial stdio -monitor none -net none -no-reboot \
  -kernel "$vmlinuz" -initrd "$initramfs" \
  -append "console=ttyS0 panic=-1 quiet loglevel=4" \
  -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap \
  </dev/null 2>&1 | tr -d '\r' | sed -u 's/\x1b\[[0-9;?]*[A-Za-z]//g; s/\x1bc//g' | tee "$log"
qemu_status=${PIPESTATUS[0]}
set -e
elapsed=$((SECONDS - started))

if [[ $qemu_status -eq 124 || $qemu_status -eq 137 ]]; then
  fail "timed out after ${timeout_seconds}s; serial log in $log"
fi
if ! grep -q '^corvane-vm-result: rc=0$' "$log" || ! grep -q '^VM TEST PASSED$' "$log"; then
  fail "the scenario failed (${elapsed}s); serial log in $log"
fi
echo "vm-test: PASS in ${elapsed}s; serial log in $log"
