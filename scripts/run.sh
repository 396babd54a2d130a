#!/usr/bin/env bash
# `make run`: the freshly built controller, started as the installed one is.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=$root/build/quibrano
if [ ! -x "$program" ]; then
  echo "run: $program is missing; build it with 'make build'" >&2
  exit 1
fi
exec bash "$root/scripts/quibrano-launch.sh" "$program" "$@"
