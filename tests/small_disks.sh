#!/usr/bin/env bash
# Runs the rows of tst_transfer that save to a full disk and a read-only one, on
# two small file systems mounted in a mount namespace of their own. Only root
# can mount them, so elsewhere the test is skipped.
#   small_disks.sh <tst_transfer>
set -eu
program=$(realpath "$1")
if [ "$(id -u)" -ne 0 ] || ! unshare -m true 2>/dev/null; then
    echo "SKIPPED: mounting the small disks needs root"
    exit 0
fi
exec unshare -m bash -s "$program" <<'INNER'
set -eu
work=$(mktemp -d)
trap 'umount "$work/full" "$work/readonly" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir "$work/full" "$work/readonly"
mount -t tmpfs -o size=4k tmpfs "$work/full"
mount -t tmpfs -o ro,size=64k tmpfs "$work/readonly"
AJUSTE_FULL_DISK="$work/full" AJUSTE_READONLY_DISK="$work/readonly" "$1" refusedSaveLeavesNoFile
INNER
