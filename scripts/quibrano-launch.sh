#!/usr/bin/env bash
# Starts the relay controller in its own working folder. The program keeps
# relf.ini and its configurations in the current directory, so a first start
# gets a folder and a starter relf.ini, as a setup program would give it.
#
#   quibrano-launch.sh [PROGRAM [ARGS...]]
#
# PROGRAM defaults to the quibrano next to this script, then to the one on
# PATH. The folder is $QUIBRANO_HOME, else $XDG_DATA_HOME/quibrano, else
# ~/.local/share/quibrano.
set -euo pipefail

die() {
  echo "quibrano-launch: $*" >&2
  exit 1
}

if [ $# -gt 0 ]; then
  program=$1
  shift
elif [ -x "$(dirname "$0")/quibrano" ]; then
  program=$(dirname "$0")/quibrano
elif command -v quibrano >/dev/null 2>&1; then
  program=$(command -v quibrano)
else
  die "no quibrano program found next to this script or on PATH; give its path"
fi

# Resolved before the cd, so a path relative to the caller still works.
case $program in
  */*) [ -e "$program" ] || die "program not found: $program"
       program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program") ;;
  *)   command -v "$program" >/dev/null 2>&1 || die "program not found on PATH: $program"
       program=$(command -v "$program") ;;
esac
[ -f "$program" ] && [ -x "$program" ] || die "not an executable program: $program"

if [ -n "${QUIBRANO_HOME:-}" ]; then
  home=$QUIBRANO_HOME
else
  data=${XDG_DATA_HOME:-}
  if [ -z "$data" ]; then
    [ -n "${HOME:-}" ] || die "neither QUIBRANO_HOME, XDG_DATA_HOME nor HOME is set"
    data=$HOME/.local/share
  fi
  home=$data/quibrano
fi

mkdir -p -- "$home" || die "cannot create the working folder $home"
[ -d "$home" ] || die "the working folder is not a folder: $home"
cd -- "$home" || die "cannot enter the working folder $home"

if [ ! -e relf.ini ] && [ ! -L relf.ini ]; then
  # Configuration name, password (empty), remote port, the six relay and two
  # input captions, Remote off; CR LF as the program writes it. Owner-only,
  # as the program keeps the file that will hold the password.
  tmp=$(umask 077 && mktemp relf.ini.XXXXXX) || die "cannot write in $home"
  if ! printf '%s\r\n' quibrano.dat '' 26535 ' REL 1 ' ' REL 2 ' ' REL 3 ' ' REL 4 ' \
        ' REL 5 ' 'REL 6' K1 K2 0 >"$tmp" || ! mv -f -- "$tmp" relf.ini; then
    rm -f -- "$tmp"
    die "cannot write the starter relf.ini in $home"
  fi
fi

exec "$program" "$@"
