#!/usr/bin/env bash
# The real program under a real X server: its title comes from the lang.ini beside it (empty
# without one), command-line arguments change nothing, two copies run side by side, and Escape
# closes the window and ends the process without a word on stderr.
set -eu
cd "$(dirname "$0")/../.."
bin=${DOWNLOAD_BUILD_DIR:-build}/bin
[ -x "$bin/Download" ] || { echo "$bin/Download is missing: build first" >&2; exit 1; }

if [ -z "${DOWNLOAD_UNDER_XVFB:-}" ]; then
  exec env DOWNLOAD_UNDER_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'jobs -p | xargs -r kill 2>/dev/null; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir "$work/with" "$work/without"
cp "$bin/Download" "$bin/lang.ini" "$work/with/"
cp "$bin/Download" "$work/without/"
expected_title=$(sed -n 's/^100=//p' "$bin/lang.ini" | tr -d '\r')

# window_of PID: the id of the program's visible window, waiting up to 20 s for it.
window_of() {
  local wid=""
  for _ in $(seq 200); do
    wid=$(xdotool search --pid "$1" 2>/dev/null | head -n 1) && [ -n "$wid" ] && break
    sleep 0.1
  done
  echo "$wid"
}

# close_and_wait PID WID: Escape in the window, then the process must end cleanly within 10 s.
close_and_wait() {
  xdotool windowfocus --sync "$2" key --clearmodifiers Escape
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$1" 2>/dev/null; then echo "window closed but process $1 still runs" >&2; return 1; fi
  wait "$1"
}

check_title() {  # DIR EXPECTED
  (cd /tmp && exec "$1/Download" --ignored-argument -x 2>"$1/stderr") &
  local pid=$!
  local wid; wid=$(window_of "$pid")
  [ -n "$wid" ] || { echo "no window from $1/Download" >&2; return 1; }
  local title; title=$(xdotool getwindowname "$wid")
  [ "$title" = "$2" ] || { echo "title '$title', expected '$2'" >&2; return 1; }
  close_and_wait "$pid" "$wid" || { echo "$1/Download did not end cleanly" >&2; return 1; }
  [ ! -s "$1/stderr" ] || { echo "error output from $1/Download:" >&2; cat "$1/stderr" >&2; return 1; }
}

check_title "$work/with" "$expected_title"
echo "title from lang.ini: ok"
check_title "$work/without" ""
echo "empty title without lang.ini: ok"

# Two copies at once: two windows, each closed on its own.
"$work/with/Download" 2>/dev/null & first=$!
"$work/with/Download" 2>/dev/null & second=$!
w1=$(window_of "$first"); w2=$(window_of "$second")
[ -n "$w1" ] && [ -n "$w2" ] && [ "$w1" != "$w2" ] || { echo "two copies did not open two windows" >&2; exit 1; }
close_and_wait "$first" "$w1"
kill -0 "$second" || { echo "closing one copy ended the other" >&2; exit 1; }
close_and_wait "$second" "$w2"
echo "two copies side by side: ok"
