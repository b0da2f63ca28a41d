#!/usr/bin/env bash
# The README's try without the internet, run as a new user runs it on a
# fresh clone: the first command of its block builds and starts the local
# site (on a free port instead of 8080), the second is ./run.sh.
#   ReadmeTryCheck.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
root="$1"
export VELMORA_BUILD_DIR="$2"
out="$(mktemp)"
commands="$(sed -n '/^## Trying a search without the internet/,/^## /p' "$root/README.md" |
  sed -n '/^```sh$/,/^```$/p' | grep -v '^```' | sed 's/ *#.*$//')"
[ "$(sed -n 2p <<<"$commands")" = "./run.sh" ] && [ -x "$root/run.sh" ] || { echo "FAILED: no ./run.sh step"; exit 1; }
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
site="$(sed -n 1p <<<"$commands")"
# A fresh clone has built nothing but what ./run.sh builds.
git -C "$root" ls-files --error-unmatch "${site%% *}" >/dev/null 2>&1 ||
  { echo "FAILED: \"$site\" runs no file of the repository"; exit 1; }
# The site runs as the leader of a process group of its own (the subshell
# becomes it through exec), so that the trap ends it, and whatever it started
# (its build, the server), by that id whichever way the check ends.
(cd "$root" && eval "exec setsid ${site/--port 8080/--port $port}") >"$out" 2>/dev/null &
pid=$!
end_site() { kill -- -"$pid" 2>/dev/null || kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; }
trap 'end_site; rm -f "$out"' EXIT
for _ in $(seq 1 1200); do grep -q "^Site at" "$out" || ! kill -0 $pid 2>/dev/null && break; sleep 0.1; done
grep -q "^Site at http://127.0.0.1:$port/" "$out" || { echo "FAILED: \"$site\" started no site"; cat "$out"; exit 1; }
[ -n "$("$VELMORA_BUILD_DIR/tools/vtool/vtool" fetch "http://localhost:$port/")" ] || { echo "FAILED: no page"; exit 1; }
# Ending the site leaves nothing of it answering on the port.
end_site
for _ in $(seq 1 50); do
  [ -z "$("$VELMORA_BUILD_DIR/tools/vtool/vtool" fetch "http://localhost:$port/" 2>/dev/null)" ] && exit 0
  sleep 0.1
done
echo "FAILED: the site still answers after the check ended it"; exit 1
