#!/usr/bin/env bash
# `make soak`: the controller (build/quibrano, headless) in a fresh working
# folder with Remote on and relays in Toggle, IF K1 and IF K2 mode, COM1 wired
# to the board simulator, and build/quibrano-soak with 50 remote clients and
# the board's contacts flipping, for SOAK_SECONDS (default 900). Prints the
# controller's memory at start and end, what the clients checked, and
# whether the controller survived and stopped cleanly on SIGTERM.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUIBRANO_BUILD_DIR:-$root/build}
seconds=${SOAK_SECONDS:-900}
program=$build/quibrano
board=$build/quibrano-boardsim
driver=$build/quibrano-soak
growth_limit_kb=5120

case $seconds in
  '' | *[!0-9]*) echo "soak: SOAK_SECONDS must be a whole number of seconds, not '$seconds'" >&2; exit 2 ;;
esac
for binary in "$program" "$board" "$driver"; do
  if [ ! -x "$binary" ]; then
    echo "soak: $binary is missing; build it with 'make build'" >&2
    exit 2
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quibrano-soak-XXXXXX")
app_pid=
board_pid=
cleanup() {
  for pid in $app_pid $board_pid; do
    if kill -0 "$pid" 2>/dev/null; then
      kill -TERM "$pid" 2>/dev/null
      wait "$pid" 2>/dev/null
    fi
  done
}
trap cleanup EXIT

rss_kb() { sed -n 's/^VmRSS:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$1/status" 2>/dev/null; }
hwm_kb() { sed -n 's/^VmHWM:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$1/status" 2>/dev/null; }

# The password holds a character the junk clients never send.
password="soak~$RANDOM$RANDOM"
port=$("$driver" --free-port) || { echo "soak: no free TCP port" >&2; exit 2; }
"$driver" --setup "$work" --port "$port" --password "$password" || exit 2

# The simulator reads its commands from a FIFO that this script holds open,
# so neither the simulator nor the driver ever sees it end or blocks on it.
mkfifo "$work/board.in"
exec 3<>"$work/board.in"
"$board" --link "$work/com1" <"$work/board.in" >"$work/board.out" 2>&1 &
board_pid=$!
for _ in $(seq 100); do [ -e "$work/com1" ] && break; sleep 0.05; done
if [ ! -e "$work/com1" ]; then
  echo "soak: the board simulator did not come up (see $work/board.out)" >&2
  exit 2
fi

(cd "$work" && QT_QPA_PLATFORM=offscreen QUIBRANO_COM1="$work/com1" exec "$program") >"$work/program.out" 2>&1 &
app_pid=$!
listening=0
for _ in $(seq 200); do
  if (exec 4<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then listening=1; break; fi
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.05
done
if [ "$listening" -ne 1 ]; then
  echo "soak: the controller is not listening on port $port (see $work/program.out)" >&2
  exit 2
fi

sleep 1
rss_start=$(rss_kb "$app_pid")
start=$(date +%s)
echo "soak: controller pid $app_pid on port $port, $seconds s, working folder $work"
"$driver" --port "$port" --password "$password" --board-commands "$work/board.in" --seconds "$seconds" \
  | tee "$work/driver.out"
driver_status=${PIPESTATUS[0]}
duration=$(( $(date +%s) - start ))

alive=no
rss_end=
rss_peak=
if kill -0 "$app_pid" 2>/dev/null; then
  alive=yes
  rss_end=$(rss_kb "$app_pid")
  rss_peak=$(hwm_kb "$app_pid")
  kill -TERM "$app_pid"
fi
# A clean stop saves and exits 0; give it time to do so.
for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app_pid" 2>/dev/null; then
  kill -KILL "$app_pid"
  echo "soak: the controller did not stop within 10 s of SIGTERM" >&2
fi
wait "$app_pid"
app_status=$?
app_pid=
echo quit >&3
wait "$board_pid" 2>/dev/null
board_pid=
exec 3>&-

mismatches=$(sed -n 's/^  mismatches: \([0-9]*\)$/\1/p' "$work/driver.out")
checked=$(sed -n 's/^  answers checked: \([0-9]*\).*/\1/p' "$work/driver.out")
growth=$(( ${rss_end:-0} - ${rss_start:-0} ))
crashes=0
[ "$alive" = yes ] || crashes=1
[ "$app_status" -eq 0 ] || crashes=1

echo
echo "soak summary"
echo "  duration:        $duration s"
echo "  resident memory: start ${rss_start:-?} kB, end ${rss_end:-?} kB, growth $growth kB (peak ${rss_peak:-?} kB)"
echo "  answers checked: ${checked:-?}"
echo "  mismatches:      ${mismatches:-?}"
echo "  crashes:         $crashes (alive at the end: $alive, exit status after SIGTERM: $app_status)"
echo "  target:          growth < $growth_limit_kb kB, zero mismatches, zero crashes"

failed=0
if [ "$driver_status" -ne 0 ] || [ "${mismatches:-1}" -ne 0 ] || [ "$crashes" -ne 0 ] || [ -z "$rss_end" ] ||
   [ "$growth" -ge "$growth_limit_kb" ]; then
  failed=1
fi
if [ "$failed" -ne 0 ]; then
  echo "soak: FAILED; everything is kept in $work"
  exit 1
fi
rm -rf "$work"
echo "soak: passed"
