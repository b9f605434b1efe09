#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test offscreen.
# With --sanitize the same suite runs again under AddressSanitizer and
# UndefinedBehaviorSanitizer in a second build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

run_suite() {
  local dir=$1; shift
  "$root/scripts/build.sh" "$dir" "$@"
  QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" --output-on-failure -j2 --timeout 300
}

run_suite "$root/build"
if [ "${1:-}" = "--sanitize" ]; then
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  BUILD_TYPE=Debug run_suite "$root/build-sanitize" -DCFG_SANITIZE=ON -DCFG_BUILD_BENCH=OFF
fi
