#!/usr/bin/env bash
# `make fuzz`: runs every libFuzzer target of build/fuzz for FUZZ_SECONDS
# (default 60) each, one after the other; 0 runs only the kept inputs once.
# The corpus grows in build/fuzz/corpus/<target> (seeded from
# fuzz/corpus/<target>, which stays as committed); whatever a target finds is
# kept in build/fuzz/crashes/ and makes the script fail.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUIBRANO_FUZZ_BUILD_DIR:-$root/build/fuzz}
seconds=${FUZZ_SECONDS:-60}
crashes=$build/crashes
logs=$build/logs
targets=(fuzz_parseinteger fuzz_configfile fuzz_settingsfile fuzz_remoteprotocol)

case $seconds in
  '' | *[!0-9]*) echo "fuzz: FUZZ_SECONDS must be a whole number of seconds, not '$seconds'" >&2; exit 2 ;;
esac
mkdir -p "$crashes" "$logs"
# libFuzzer reads a time limit of 0 as no limit at all.
if [ "$seconds" -eq 0 ]; then duration=(-runs=0); else duration=(-max_total_time="$seconds"); fi

# A configuration file is 314 lines of up to 25 bytes; leave room to spare.
max_len() {
  case $1 in
    fuzz_configfile) echo 16384 ;;
    *) echo 4096 ;;
  esac
}

found=0
printf '%-22s %12s %10s  %s\n' target runs exec/s result
for target in "${targets[@]}"; do
  binary=$build/fuzz/$target
  if [ ! -x "$binary" ]; then
    printf '%-22s %12s %10s  %s\n' "$target" - - "MISSING ($binary; build with 'make fuzz')"
    found=1
    continue
  fi
  corpus=$build/corpus/$target
  mkdir -p "$corpus"
  log=$logs/$target.log
  marker=$(mktemp)
  # Absolute paths: some targets change their working directory.
  "$binary" "${duration[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -max_len="$(max_len "$target")" -artifact_prefix="$crashes/$target-" \
    "$corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  mapfile -t artifacts < <(find "$crashes" -maxdepth 1 -type f -name "$target-*" -newer "$marker" | sort)
  rm -f "$marker"
  if [ "$status" -eq 0 ] && [ "${#artifacts[@]}" -eq 0 ]; then
    result="nothing found"
  else
    found=1
    result="FOUND (exit $status): ${artifacts[*]:-see $log}"
  fi
  printf '%-22s %12s %10s  %s\n' "$target" "${runs:-?}" "${speed:-?}" "$result"
  if [ "$status" -ne 0 ]; then
    grep -m 3 -E 'fuzz check failed|ERROR: |SUMMARY: ' "$log" | sed 's/^/    /'
  fi
done

if [ "$found" -ne 0 ]; then
  echo "fuzz: something was found; logs in $logs, inputs in $crashes"
  echo "      replay one with: $build/fuzz/<target> <input>"
  exit 1
fi
echo "fuzz: ${#targets[@]} targets, $seconds s each, nothing found"
