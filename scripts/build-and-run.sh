#!/usr/bin/env bash
# Builds the project and runs its main job. Without a display that is the
# command-line check of the bundled sample deposit; with one, the desktop
# program once it exists.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"

sample=examples/sample-deposit
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
# No exec: the trap must still remove the temporary drive C: afterwards.
QT_QPA_PLATFORM=offscreen build/bin/vk7check --root "$root" "$sample" "$(cat "$sample.fingerprint")"
