#!/usr/bin/env bash
# fuzz.sh <seconds> [target]: builds the fuzz targets (clang, libFuzzer, ASan
# and UBSan) in build-fuzz and runs each for <seconds>, or only the named one
# (query_reply, tftp_packets, ini_file, settings_record, data_file, infobase,
# firewall_rules, browser_lookup, discovery_tally, commission_plan,
# commission_report, command_line).
# Each run starts from the seeds in tests/fuzz/corpus/<target> and keeps what
# it finds in build-fuzz/corpus/<target>, so a later run goes on from there.
# An input that breaks a target is saved as build-fuzz/findings/<target>-*;
# rerun it with build-fuzz/bin/fuzz_<target> <file>. Fails when any target did.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:?usage: scripts/fuzz.sh <seconds> [target]}
only=${2:-}
dir=${FUZZ_BUILD_DIR:-$root/build-fuzz}
targets=(query_reply tftp_packets ini_file settings_record data_file infobase
  firewall_rules browser_lookup discovery_tally commission_plan commission_report command_line)
if [ -n "$only" ]; then
  [ -d "$root/tests/fuzz/corpus/$only" ] || { echo "no fuzz target named $only" >&2; exit 2; }
  targets=("$only")
fi

CC=clang CXX=clang++ BUILD_TARGETS=fuzz_all "$root/scripts/build.sh" "$dir" \
  -DCFG_FUZZ=ON -DCFG_BUILD_TESTS=OFF -DCFG_BUILD_BENCH=OFF

# A smaller quarantine for freed memory than the default 256 MB: the file
# targets allocate read buffers on every input, and fresh pages for each of
# them made those targets about twice as slow and their memory grow.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:quarantine_size_mb=64
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The file targets write and read a scratch file on every input: kept in
# memory, they never wait on the disk.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi
failed=()
for t in "${targets[@]}"; do
  mkdir -p "$dir/corpus/$t" "$dir/findings"
  echo "== fuzz_$t for ${seconds}s"
  if "$dir/bin/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$dir/findings/$t-" \
      "$dir/corpus/$t" "$root/tests/fuzz/corpus/$t" >"$dir/fuzz_$t.log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units)' "$dir/fuzz_$t.log" || true
  else
    tail -n 40 "$dir/fuzz_$t.log"
    failed+=("$t")
  fi
done
echo "fuzz: $((${#targets[@]} - ${#failed[@]})) passed, ${#failed[@]} failed"
if ((${#failed[@]})); then
  echo "broken: ${failed[*]} (inputs in $dir/findings)" >&2
  exit 1
fi
