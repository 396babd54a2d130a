#!/usr/bin/env bash
# `make demo`: the virtual board on a pseudo-terminal and the controller with
# COM1 wired to it, in build/demo. Type board commands here (k1 closed, k1 open,
# k2 closed, silent on, unplug, replug, state, quit); close the window or type
# quit to end both.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
work=$build/demo
mkdir -p "$work"
# A fresh demo configuration every time: relay 2 follows K1, relay 3 K2
# (both contacts start closed), relay 4 blinks, relay 5 switches at random,
# relay 6 is the clock pulse.
cp "$root/scripts/demo/demo.dat" "$root/scripts/demo/relf.ini" "$work/"
link=$work/com1
rm -f "$link"

cleanup() {
  if [ -n "${app:-}" ] && kill -0 "$app" 2>/dev/null; then
    kill -TERM "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
  fi
}
trap cleanup EXIT

(
  for _ in $(seq 100); do [ -e "$link" ] && break; sleep 0.05; done
  cd "$work"
  QUIBRANO_COM1=$link exec "$build/quibrano"
) &
app=$!

cat <<MSG
Demo: the controller runs in $work with COM1 -> $link.
Remote access is on: port 26535, password "demo". Try in another terminal:
  $build/quibrano-remote --password demo set 63
  $build/quibrano-remote repeat
Board commands: k1 closed | k1 open | k2 closed | k2 open | silent on|off |
                flood on|off | garbage N | unplug | replug | state | quit
MSG

# The board reads the commands typed here, after two of its own that close
# both contacts (a background job would get /dev/null without the explicit
# <&0); whichever ends first ends both.
{ printf 'k1 closed\nk2 closed\n'; cat; } <&0 | "$build/quibrano-boardsim" --link "$link" --log "$work/board.log" &
board=$!
while kill -0 "$app" 2>/dev/null && kill -0 "$board" 2>/dev/null; do sleep 0.5; done
kill "$board" 2>/dev/null || true
