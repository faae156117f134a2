#!/bin/sh
# Mounts (or unmounts) the two small file systems of mounted_disk_test: a 256 KiB disk that the
# test fills, and a read-only one holding a search list and a saved page.
#   small_disks.sh mount|unmount FOLDER SOURCE_DATA_FILE
# Where mounting is refused (no privilege), it leaves a note and the test skips itself.
set -u
action=$1 folder=$2
case "$action" in
  mount)
    "$0" unmount "$folder"
    mkdir -p "$folder/small" "$folder/readonly"
    rm -f "$folder/unavailable"
    if ! mount -t tmpfs -o size=256k,mode=0777 tmpfs "$folder/small" 2>/dev/null ||
       ! mount -t tmpfs -o size=256k,mode=0777 tmpfs "$folder/readonly" 2>/dev/null; then
      echo "mount -t tmpfs was refused" >"$folder/unavailable"
      exit 0
    fi
    printf '"one" http://127.0.0.1:9/1 0 1 0 25\r\n"two" http://127.0.0.1:9/2 0 1 0 25\r\n' >"$folder/readonly/lotwise2.ini"
    cp "$3" "$folder/readonly/page.html"
    mount -o remount,ro "$folder/readonly"
    ;;
  unmount)
    for disk in small readonly; do
      mountpoint -q "$folder/$disk" 2>/dev/null && umount -l "$folder/$disk"
    done
    exit 0
    ;;
esac
