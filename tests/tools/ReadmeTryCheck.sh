#!/usr/bin/env bash
# The README's way to try a search without the internet, run as a new user
# runs it: the first command of its block starts the local site (building it
# first), the second is the program's own script. Only the port is changed,
# to a free one, so that the check never meets a site the user runs.
#   ReadmeTryCheck.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
root="$1"
export VELMORA_BUILD_DIR="$2"
work="$(mktemp -d)"
site_pid=""
cleanup() {
  if [ -n "$site_pid" ]; then kill "$site_pid" 2>/dev/null; wait "$site_pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT

# The commands of the section's sh block, comments cut.
sed -n '/^## Trying a search without the internet/,/^## /p' "$root/README.md" |
  sed -n '/^```sh$/,/^```$/p' | grep -v '^```' | sed 's/ *#.*$//' >"$work/commands"
site_command="$(sed -n 1p "$work/commands")"
program_command="$(sed -n 2p "$work/commands")"
case "$site_command" in
  *--port\ 8080*) ;;
  *) echo "FAILED: the README's first command names no port 8080: $site_command"; exit 1 ;;
esac
[ "$program_command" = "./run.sh" ] || { echo "FAILED: the README's second command is not ./run.sh"; exit 1; }
[ -x "$root/run.sh" ] || { echo "FAILED: run.sh is not executable"; exit 1; }

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
(cd "$root" && eval "${site_command/--port 8080/--port $port}") >"$work/site.out" 2>"$work/site.err" &
site_pid=$!
for _ in $(seq 1 1200); do
  grep -q "^Site at" "$work/site.out" && break
  kill -0 "$site_pid" 2>/dev/null || break
  sleep 0.1
done
if ! grep -q "^Site at http://127.0.0.1:$port/" "$work/site.out"; then
  echo "FAILED: \"$site_command\" did not start the site"; cat "$work/site.out" "$work/site.err" | tail -20
  exit 1
fi
page="$(QT_QPA_PLATFORM=offscreen "$VELMORA_BUILD_DIR/tools/vtool/vtool" fetch "http://localhost:$port/" | wc -c)"
[ "$page" -gt 0 ] || { echo "FAILED: the site answers nothing at localhost:$port"; exit 1; }
echo "README try: site at localhost:$port answered $page bytes"
