#!/usr/bin/env bash
# The threaded tests under ThreadSanitizer: the job runner's, the frame's,
# the output's and the fingerprint's unit tests, and the tests that run the
# real vk7 under Xvfb. Every hand-over between our threads goes through a
# standard mutex or thread the sanitizer sees; what lies wholly inside Qt
# (built without the sanitizer) is suppressed in scripts/tsan.supp, each
# with its reason. Each report goes to a file of its own; any report, or a
# failed test, fails the run.
# Usage: scripts/tsan-tests.sh [BUILD_DIR]   (default build-tsan)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-tsan}
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
tests=(reception_backgroundwork_test reception_fingerprint_test app_framecontroller_test
  app_receptionrecord_test verification_printoutput_test viewing_ui_documentdialogs_test
  app_ui_mainframe_test desktop_vk7_xvfb_test desktop_vk7_busy_print_test
  desktop_vk7_cancel_test desktop_vk7_keyboard_test desktop_vk7_accessibility_test
  desktop_vk7_orca_test)
unit=()
for name in "${tests[@]}"; do
  [[ $name == desktop_* ]] || unit+=("$name")
done
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVK7_TSAN=ON
cmake --build "$dir" -j "$jobs" --target vk7 vk7check vk7_runtime_data vk7_slowmedium "${unit[@]}"
reports=$(mktemp -d)
trap 'rm -rf "$reports"' EXIT
pattern="^($(IFS='|'; echo "${tests[*]}"))\$"
status=0
TSAN_OPTIONS="suppressions=$PWD/scripts/tsan.supp log_path=$reports/informe history_size=4 die_after_fork=0 ${TSAN_OPTIONS:-}" \
  ctest --test-dir "$dir" -R "$pattern" --output-on-failure -j "$jobs" || status=1
found=("$reports"/informe*)
if [ -e "${found[0]}" ]; then
  echo "ThreadSanitizer: ${#found[@]} informe(s) de carrera:" >&2
  cat "${found[@]}" >&2
  status=1
fi
exit $status
