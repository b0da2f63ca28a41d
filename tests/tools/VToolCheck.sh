#!/usr/bin/env bash
# The diagnostic driver as a user meets it: help for every command, one-line
# errors with exit code 1, failed fetches and searches that say so, and the
# local site's refusals. Runs against `vtool site` on a loopback port only.
#   VToolCheck.sh PATH/TO/vtool
set -uo pipefail
vtool="$1"
work="$(mktemp -d)"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=offscreen
site_pid=""
cleanup() {
  if [ -n "$site_pid" ]; then kill "$site_pid" 2>/dev/null; wait "$site_pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT
failures=0

# expect CODE PATTERN COMMAND...: the exit code, and a pattern that standard
# output and standard error together must hold (empty: anything).
expect() {
  local code="$1" pattern="$2"
  shift 2
  local out got
  out="$("$@" </dev/null 2>&1)"
  got=$?
  if [ "$got" != "$code" ] || { [ -n "$pattern" ] && ! grep -q -- "$pattern" <<<"$out"; }; then
    echo "FAILED: $* -> exit $got, wanted $code and /$pattern/:"
    head -5 <<<"$out"
    failures=$((failures + 1))
  fi
}

# Help: the list of commands, and each command's usage without running it.
expect 0 "vtool search" "$vtool" --help
for cmd in decode deflate encode-gif fetch inflate photo search site tokenize; do
  expect 0 "usage: vtool $cmd" "$vtool" "$cmd" --help
done
expect 0 "StatureMin (number)" "$vtool" search --help
expect 0 "Examples:" "$vtool" search --help
expect 2 "no command" "$vtool" nonsense

# One-line errors, exit 1.
expect 1 "is a folder" "$vtool" tokenize "$work"
expect 1 "^vtool decode: " "$vtool" decode "$work/missing.png"
# A file that cannot be read says so and why, whatever its name.
expect 1 "^vtool decode: Файл «$work/missing» не прочитан: .*(ENOENT)" "$vtool" decode "$work/missing"
expect 1 "не прочитан: .*(EISDIR)" "$vtool" decode "$work"
expect 1 "^vtool decode: " "$vtool" decode "$work/missing.gif" --frame 2
expect 2 "usage: vtool decode" "$vtool" decode "$work/missing.gif" --frame last
expect 1 "^vtool encode-gif: " "$vtool" encode-gif "$work/missing.png" "$work/out.gif"
[ -e "$work/out.gif" ] && { echo "FAILED: encode-gif left a file after an error"; failures=$((failures + 1)); }

# encode-gif saves through the library's GIF saver: a picture of few colours
# comes out no larger than gifsicle's re-encoding of the same pixels (times
# 1.02), with the same pixels, and a PNG's transparency stays.
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
convert -size 200x150 xc:white +antialias -fill red -draw "circle 100,75 100,20" -fill blue \
  -draw "rectangle 10,10 60,40" -fill green -draw "polygon 150,10 190,140 120,140" "$work/few.png"
convert "$work/few.png" "$work/im.gif" && gifsicle "$work/im.gif" -o "$work/gifsicle.gif"
expect 0 "^200x150 1 frame(s), " "$vtool" encode-gif "$work/few.png" "$work/few.gif"
ours="$(stat -c %s "$work/few.gif" 2>/dev/null || echo 0)"
theirs="$(stat -c %s "$work/gifsicle.gif" 2>/dev/null || echo 0)"
[ "$ours" -gt 0 ] && [ $((ours * 100)) -le $((theirs * 102)) ] || fail "encode-gif wrote $ours bytes, gifsicle $theirs"
[ "$(compare -metric AE "$work/few.gif" "$work/few.png" null: 2>&1)" = "0" ] || fail "encode-gif changed pixels"
convert -size 60x40 xc:none -fill red -draw "circle 30,20 30,5" "$work/clear.png"
expect 0 "^60x40 " "$vtool" encode-gif "$work/clear.png" "$work/clear.gif"
gifsicle --info "$work/clear.gif" 2>/dev/null | grep -q transparent || fail "encode-gif dropped the transparency"

# The local site; its port is read from its first line.
"$vtool" site --members 12 >"$work/site.out" 2>&1 &
site_pid=$!
for _ in $(seq 1 100); do
  grep -q "^Site at" "$work/site.out" && break
  sleep 0.05
done
host="$(sed -n 's|^Site at http://\([^/]*\)/.*|\1|p' "$work/site.out")"
if [ -z "$host" ]; then
  echo "FAILED: vtool site did not start"; cat "$work/site.out"; exit 1
fi
port="${host##*:}"

expect 0 "" "$vtool" fetch "http://$host/"
expect 1 "Not Found" "$vtool" fetch "http://$host/no-such-page"
# The photo a profile page links (member1 has photos, member0 none).
expect 0 "JFIF" "$vtool" fetch "http://$host/photos/member1_small.jpg"
expect 1 "Not Found" "$vtool" fetch "http://$host/photos/member0_small.jpg"
expect 0 "^60x80 14400$" "$vtool" photo "http://$host/photos/member1_small.jpg"
expect 1 "not a GIF picture" "$vtool" photo "http://$host/photos/member1_small.jpg" --type GIF
expect 1 "vtool fetch: " "$vtool" fetch "http://127.0.0.1:1/"
expect 1 "in use" "$vtool" site --port "$port"
expect 2 "members takes 0 to 100000" "$vtool" site --members 100000000

expect 0 "^hits " "$vtool" search --server "$host" --pages 2 --found "$work/found.xml"
expect 1 "Сервер 127.0.0.1:1 недоступен: " "$vtool" search --server 127.0.0.1:1 --pages 2 --found "$work/f.xml"
expect 1 "no-such-folder" "$vtool" search --server "$host" --pages 1 --found "$work/no-such-folder/found.xml"
expect 2 "pages takes 0 to 999999" "$vtool" search --server "$host" --pages 2147483647
# A data folder another process holds (as the program does) is left alone.
data="$XDG_DATA_HOME/Corvane/Tessel"
cp "$work/found.xml" "$data/LoadedFriends.xml"
expect 1 "Папка данных «$data» занята" flock "$data/Velmora.lock" "$vtool" search --server "$host" --pages 2
cmp -s "$work/found.xml" "$data/LoadedFriends.xml" || fail "search wrote to a folder another process holds"

if [ "$failures" -ne 0 ]; then
  echo "$failures checks failed"
  exit 1
fi
echo "all vtool checks passed"
