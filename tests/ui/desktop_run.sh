#!/usr/bin/env bash
# The real program on a real X server with a window manager (Xvfb, openbox),
# driven only by keys and the window manager's own requests, as a user would
# drive it; screenshots of the whole screen along the way.
# Usage: desktop_run.sh OMBRIX SCREEN_GRAB SHOT_DIR
set -uo pipefail
program=$(realpath "$1")
grab=$(realpath "$2")
shots=$3
root=$(cd "$(dirname "$0")/../.." && pwd)

"$root/scripts/packages" xvfb openbox xdotool wmctrl x11-utils >&2 || exit 1
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

mkdir -p "$shots"
rm -f "$shots"/*.png
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
check() {  # check NAME COMMAND...
  local name=$1; shift
  if "$@"; then echo "PASS  $name"; else echo "FAIL  $name"; failures=$((failures + 1)); fi
}
shot() { "$grab" "$shots/$1.png" && echo "      screenshot $shots/$1.png"; }
key() { xdotool key --clearmodifiers --delay 60 "$@"; sleep 0.4; }
type_text() { xdotool type --delay 20 "$1"; sleep 0.3; }

# The first visible window whose title matches, waiting up to $2 seconds.
wait_window() {
  local id
  for ((i = 0; i < ${2:-20} * 10; i++)); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
wait_no_window() {
  for ((i = 0; i < ${2:-20} * 10; i++)); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}
# "x,y" of a window's client area on the screen.
position() { xdotool getwindowgeometry --shell "$1" | awk -F= '/^X=/{x=$2} /^Y=/{y=$2} END{print x "," y}'; }
width() { xdotool getwindowgeometry --shell "$1" | awk -F= '/^WIDTH=/{print $2}'; }
exits_within() {  # exits_within PID SECONDS
  for ((i = 0; i < $2 * 10; i++)); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}
still_running() { kill -0 "$1" 2>/dev/null; }
same() { [ -n "$1" ] && [ "$1" = "$2" ]; }
at_least() { [ "$1" -ge "$2" ]; }

# A display of our own, and a window manager on it.
n=90
while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
Xvfb :$n -screen 0 1280x960x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=:$n
for ((i = 0; i < 100; i++)); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
for ((i = 0; i < 100; i++)); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done

# Files to pick: two from one long folder, a large one for a batch that
# takes a while, and help.sh where the program starts.
export HOME="$work/home"
deep="$HOME/projects/archive-2023/quarterly-reports/second-half/drafts-for-review"
mkdir -p "$deep" "$work/big" "$work/small" "$work/run"
printf 'first report\n' >"$deep/report-2023.txt"
printf 'second report\n' >"$deep/report-2024.txt"
truncate -s 6G "$work/big/large.bin"
printf 'small\n' >"$work/small/note.txt"
cp "$OMBRIX_HELP_FILE" "$work/run/"

start() {
  (cd "$work/run" && exec "$program") >"$work/program.log" 2>&1 &
  prog=$!
  pids+=($prog)
  main=$(wait_window '^Ombrix \( Version 1\.0 \)$') || { echo "FAIL  the window did not open"; exit 1; }
  sleep 1
}
# In the picker's location field: open a folder, go on to its listing and
# pick every file in it.
pick_all_in() {
  type_text "$1"
  key Return
  key Tab Tab ctrl+a
}
# A fresh window with one password typed twice and every file of a folder picked.
start_ready() {
  start
  key Tab
  type_text pw
  key Tab
  type_text pw
  key Tab Tab Tab ctrl+a
  pick_all_in "$1"
}

echo "== keys, menus and boxes"
start
shot 01-start-focus-frame
key shift+F10
shot 02-menu-shift-f10
key Escape
key Menu
shot 03-menu-key
key a
about=$(wait_window '^About Ombrix$' 5)
check "the Menu key's menu reaches About" test -n "$about"
shot 04-about
key Escape
wait_no_window '^About Ombrix$'
# Opens the help viewer with F1, prints where it is, closes it again.
help_position() {
  local help
  key F1
  help=$(wait_window '^Ombrix -- Help$' 5) || return
  position "$help"
  [ -n "${1:-}" ] && shot "$1" >&2
  key Escape
  wait_no_window '^Ombrix -- Help$'
}
first=$(help_position 05-help)
second=$(help_position)
check "the help viewer opens where it opened before ($first, $second)" same "$first" "$second"

key Tab Tab Tab Tab ctrl+a
pick_all_in "$deep"
shot 06-picks-name-first
key alt+d
shot 07-decrypt-not-a-container
key Down
shot 08-arrow-key-back-to-encrypt
key alt+p
key alt+n
prompt=$(wait_window '^Ombrix :  Password$' 10)
check "the batch asks for the first password" test -n "$prompt"
first=$(position "$prompt")
shot 09-prompt-long-path
# The main window's close box, as the window manager passes it on, while
# the prompt is open.
wmctrl -i -c "$main"
sleep 0.5
check "a close asked for during the batch waits for it" still_running "$prog"
type_text pw
key Tab
type_text pw
key Return
sleep 0.5
prompt=$(wait_window '^Ombrix :  Password$' 10)
second=$(position "$prompt")
check "the prompt opens where it opened before ($first, $second)" same "$first" "$second"
key Escape
report=$(wait_window '^ombrix$' 5)
shot 10-cancel-reported
key Return
summary=$(wait_window '^Completed $' 10)
check "the batch ends with its summary" test -n "$summary"
shot 11-summary-caption
summary_width=$(width "$summary")
check "the summary is wide enough for its caption ($summary_width px)" at_least "$summary_width" 200
key Return
check "the close is carried out after the batch" exits_within "$prog" 5
check "the first file was encrypted" test -f "$HOME/report-2023.kvr"

busy_batch() {  # busy_batch KEY NAME: the key pressed while a large file is worked on
  start_ready "$work/big"
  key alt+n
  if xdotool search --onlyvisible --name '^Completed $' >/dev/null 2>&1; then
    echo "SKIP  $1 during the batch: the batch was over before the key could come"
    key Return Escape
    exits_within "$prog" 5
    rm -f "$HOME/large.kvr"
    return
  fi
  key "$1"
  shot "$2"
  check "$1 during the batch: the batch goes on" still_running "$prog"
  summary=$(wait_window '^Completed $' 300)
  check "$1 during the batch: the summary comes" test -n "$summary"
  key Return
  check "$1 during the batch: the window closes after it" exits_within "$prog" 5
  check "$1 during the batch: the large file was encrypted whole" \
    test "$(stat -c %s "$HOME/large.kvr" 2>/dev/null)" -gt 6442450944
  rm -f "$HOME/large.kvr"
}
echo "== a close during the work on a file"
busy_batch Escape 12-busy
busy_batch alt+F4 13-busy-alt-f4

echo "== after a batch"
start_ready "$work/small"
key alt+n
summary=$(wait_window '^Completed $' 20)
key Return
wait_no_window '^Completed $'
sleep 0.5
shot 14-after-batch
type_text x
shot 15-after-batch-typing
key Escape
check "Escape ends the window after a batch" exits_within "$prog" 5

echo "screenshots: $shots"
[ "$failures" -eq 0 ]
