#!/usr/bin/env bash
# Builds the project and runs its main job: the desktop program on the
# bundled sample deposit when a display is available, else the command-line
# check of the same deposit.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"

sample=examples/sample-deposit
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
# No exec: the trap must still remove the temporary drive C: afterwards.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  build/bin/vk7 --root "$root" "$sample" "$(cat "$sample.fingerprint")"
else
  QT_QPA_PLATFORM=offscreen build/bin/vk7check --root "$root" "$sample" "$(cat "$sample.fingerprint")"
fi
