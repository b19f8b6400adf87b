#!/usr/bin/env bash
# image.sh DIR: assembles the emulated machine's kernel and initramfs in DIR
# (DIR/vmlinuz, DIR/initrd.gz) from Debian's packages: the kernel of
# linux-image-amd64, unpacked from its package and never installed (the
# host's /boot and initramfs stay as they are), busybox-static, and the
# kernel modules the shares need. Does nothing when none of these changed.
set -euo pipefail
dir=$1
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$dir/debs"
busybox=/bin/busybox
[ -x "$busybox" ] && ! readelf -l "$busybox" 2>/dev/null | grep -q INTERP || {
  echo "emulated machine: needs a static busybox (Debian's busybox-static)" >&2
  exit 1
}

# The kernel package the index names now; offline, the one fetched last.
package=$(apt-cache depends linux-image-amd64 2>/dev/null | awk '/Depends: linux-image-[0-9]/ {print $2; exit}')
deb=$(ls "$dir/debs/${package:-linux-image-}"*_amd64.deb 2>/dev/null | tail -1 || true)
if [ -z "$deb" ] && [ -n "$package" ]; then
  # Into a folder of its own, so that a download that fails (offline, or a
  # mirror mid-sync) leaves the kernel fetched last in place.
  rm -rf "$dir/debs/new" && mkdir -p "$dir/debs/new"
  (cd "$dir/debs/new" && apt-get download -q "$package" 2>&1 | grep -v 'unsandboxed' >&2) || true
  if ls "$dir/debs/new/"*_amd64.deb >/dev/null 2>&1; then
    rm -f "$dir/debs/"*.deb
    mv "$dir/debs/new/"*_amd64.deb "$dir/debs/"
    deb=$(ls "$dir/debs/$package"*_amd64.deb 2>/dev/null | tail -1 || true)
  else
    deb=$(ls "$dir/debs/linux-image-"*_amd64.deb 2>/dev/null | tail -1 || true)
    [ -n "$deb" ] && echo "emulated machine: could not download $package; using $(basename "$deb"), fetched earlier" >&2
  fi
  rm -rf "$dir/debs/new"
fi
if [ -z "$deb" ]; then
  [ -n "$package" ] || { echo "emulated machine: no kernel package (linux-image-amd64) in the package index" >&2; exit 1; }
  echo "emulated machine: could not download the kernel package $package" >&2
  exit 1
fi

inputs=$( (basename "$deb"; sha256sum "$busybox" "$here/init" "$0") | sha256sum | cut -c1-16)
if [ -f "$dir/vmlinuz" ] && [ -f "$dir/initrd.gz" ] && [ "$(cat "$dir/image.inputs" 2>/dev/null)" = "$inputs" ]; then
  exit 0
fi
echo "emulated machine: assembling its kernel and initramfs from $(basename "$deb")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work/kernel"
modules=$(echo "$work"/kernel/lib/modules/*)
mkdir -p "$work/root/bin" "$work/root/modules" "$work/root/proc" "$work/root/sys" "$work/root/dev"
cp "$busybox" "$work/root/bin/busybox"
cp "$here/init" "$work/root/init"

# need MODULE: MODULE's dependencies, then MODULE, each once, in load order.
# They are read from the module's own .modinfo ("depends=a,b"): the package
# leaves the list of all of them to depmod at install.
need() {
  local path deps dep
  path=$(find "$modules" -name "$1.ko" -o -name "${1//_/-}.ko" | head -1)
  [ -n "$path" ] || { echo "emulated machine: the kernel has no module $1" >&2; exit 1; }
  grep -qxF "$(basename "$path")" "$work/root/modules/order" 2>/dev/null && return
  deps=$(tr '\0' '\n' <"$path" | sed -n 's/^depends=//p' | head -1)
  for dep in ${deps//,/ }; do need "$dep"; done
  cp "$path" "$work/root/modules/"
  basename "$path" >>"$work/root/modules/order"
}
for module in virtio_pci 9pnet_virtio 9p; do need "$module"; done

(cd "$work/root" && find . | "$busybox" cpio -o -H newc 2>/dev/null) | gzip -1 >"$dir/initrd.gz.part"
cp "$work/kernel/boot/vmlinuz-"* "$dir/vmlinuz.part"
mv "$dir/initrd.gz.part" "$dir/initrd.gz"
mv "$dir/vmlinuz.part" "$dir/vmlinuz"
echo "$inputs" >"$dir/image.inputs"
