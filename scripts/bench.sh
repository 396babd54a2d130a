#!/usr/bin/env bash
# `make bench`: runs every benchmark of the bench build in turn and prints one
# table (figure, value, baseline, ratio, target) on standard output and into
# build/bench/results.md. Progress goes to standard error, each program's own
# output to build/bench/<program>.log.
#
#   BENCH_QUICK=1          short runs, for trying the benchmarks out
#   BENCH_TICK_SECONDS=N   length of the second-tick run (default 600)
#   BENCH_BUILD=DIR        the build folder (default build/bench-build)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${BENCH_BUILD:-$root/build/bench-build}")
bin=$build/bench
out=$root/build/bench
rows=$out/rows.tsv
mkdir -p "$out"
: >"$rows"

for p in quibrano-bench-selfcheck quibrano-bench-engine quibrano-bench-poll quibrano-bench-latency \
         quibrano-bench-remote quibrano-bench-footprint quibrano-bench-tick; do
  if [ ! -x "$bin/$p" ]; then
    echo "bench: $bin/$p is missing; build with 'make bench'" >&2
    exit 1
  fi
done
if [ ! -x "$build/quibrano" ]; then
  echo "bench: $build/quibrano is missing; build with 'make bench'" >&2
  exit 1
fi

# Qt wants a private runtime folder; without one it complains on every start.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d /tmp/quibrano-bench-runtime-XXXXXX)
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
export BENCH_ROWS=$rows BENCH_PROGRAM=$build/quibrano

echo "bench: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), load $(cut -d' ' -f1-3 /proc/loadavg)" >&2
if [ "${BENCH_QUICK:-0}" = 1 ]; then
  echo "bench: quick run (BENCH_QUICK=1): short durations, figures not for quoting" >&2
fi

if ! "$bin/quibrano-bench-selfcheck" >"$out/selfcheck.log" 2>&1; then
  cat "$out/selfcheck.log" >&2
  echo "bench: the measuring code failed its own checks; no figures taken" >&2
  exit 1
fi

failed=0
run() {
  local name=$1 log=$out/$1.log status
  echo "bench: running $name" >&2
  "$bin/quibrano-bench-$name" 2> >(tee "$log" >&2) >&2
  status=$?
  if [ "$status" -ne 0 ]; then
    printf '%s\tdid not finish (status %s); see build/bench/%s.log\t-\t-\t-\n' "$name" "$status" "$name" >>"$rows"
    failed=1
  fi
}

run engine
run poll
run latency
run remote
run footprint
run tick

{
  echo "| figure | value | baseline | ratio | target |"
  echo "|---|---|---|---|---|"
  sed -e 's/|/\\|/g' -e 's/\t/ | /g' -e 's/^/| /' -e 's/$/ |/' "$rows"
} >"$out/results.md"
cat "$out/results.md"
exit "$failed"
