#!/usr/bin/env bash
# The README's two commands on a fresh machine, exactly as a new developer
# or a clerk's IT department runs them: a minimal bookworm made with
# debootstrap (once, kept under the build folder; a rerun copies it), a clone
# of the checkout's committed main in a throwaway copy of it, and there, as
# root with nothing else installed, `bash scripts/build-and-run.sh` and then
# `bash scripts/build-and-test.sh`. Each command's result is printed; the
# script ends non-zero when either fails. A package missing from
# scripts/setup-debian.sh shows up here, not on the next new machine.
# Needs root (chroot, mounts) and the Debian mirror; about 6 GB under
# BUILD_DIR/fresh-machine while it runs. Mounts, processes and the copy are
# undone at every exit; the logs stay in BUILD_DIR/fresh-machine/logs.
# Usage: sudo bash scripts/fresh-machine-check.sh [BUILD_DIR] [SOURCE_DIR]
set -euo pipefail
build=$(realpath -m "${1:-build}")
source=$(realpath "${2:-$(dirname "$0")/..}")
fail() { echo "FALLO: $*" >&2; exit 1; }
step() { echo "== [${SECONDS} s] $*"; }

[ "$(id -u)" -eq 0 ] || fail "hace falta ser root (chroot y mount): sudo bash $0 $*"
for tool in debootstrap chroot mount git; do
  command -v "$tool" >/dev/null || fail "falta $tool: bash scripts/setup-debian.sh"
done
git -C "$source" rev-parse --verify -q main >/dev/null || fail "$source no tiene la rama main"

cache=$build/fresh-machine
mkdir -p "$cache/logs"
source "$(dirname "$0")/bookworm.sh"
bookworm_base "$cache"

root=$cache/root
mounts=()
cleanup() {
  # Whatever the commands left running inside (a CUPS server, Xvfb) ends
  # before its file systems are unmounted.
  local pid i
  if [ -d "$root" ]; then
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
      [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$root" ] && kill -9 "$pid" 2>/dev/null || true
    done
  fi
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}" || true
  done
  # Anything a test mounted inside the copy and left behind goes too.
  if [ -d "$root" ]; then
    { grep -F " $root/" /proc/mounts || true; } | cut -d' ' -f2 | sort -r | while read -r m; do umount -l "$m" || true; done
    rm -rf --one-file-system "$root"
  fi
}
trap cleanup EXIT
trap "exit 130" INT TERM HUP

step "copia nueva del sistema base"
cleanup
bookworm_copy "$cache" "$root"
mount_in() { # mount_in TARGET_IN_ROOT mount-arguments...
  local target=$root$1
  shift
  mkdir -p "$target"
  mount "$@" "$target"
  mounts+=("$target")
}
mount_in /proc -t proc proc
mount_in /sys -t sysfs sysfs
mount_in /dev/pts -t devpts -o newinstance,ptmxmode=0666 devpts
mount_in /dev/shm -t tmpfs -o mode=1777 tmpfs
mount_in /var/cache/apt/archives --bind "$cache/archives"
# The compiler cache is kept too: it only skips compiling what was compiled
# before from the same sources and headers, so a missing header or package
# still fails, and a rerun takes minutes instead of an hour.
mkdir -p "$cache/ccache"
mount_in /root/.cache/ccache --bind "$cache/ccache"

step "clon de main ($(git -C "$source" rev-parse --short main))"
git clone -q --no-local --branch main "$source" "$root/root/vk7"

in_root() { # in_root LOG command...
  local log=$1
  shift
  chroot "$root" env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root sh -c "cd /root/vk7 && $*" </dev/null >"$cache/logs/$log" 2>&1
}

results=()
status=0
run_command() { # run_command NAME SCRIPT
  local name=$1 script=$2 start=$SECONDS code=0
  step "$script"
  in_root "$name.log" "$script" || code=$?
  if [ "$code" -eq 0 ]; then
    results+=("$script: correcto ($((SECONDS - start)) s)")
  else
    status=1
    tail -40 "$cache/logs/$name.log"
    results+=("$script: FALLO, sale con $code ($((SECONDS - start)) s; $cache/logs/$name.log)")
  fi
}
run_command build-and-run "bash scripts/build-and-run.sh"
run_command build-and-test "bash scripts/build-and-test.sh"

echo "== [${SECONDS} s] resultado en bookworm nuevo"
grep -hE "tests passed|tests failed" "$cache/logs/build-and-test.log" || true
printf '%s\n' "${results[@]}"
exit "$status"
