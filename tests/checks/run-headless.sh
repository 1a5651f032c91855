#!/usr/bin/env bash
# ./run on a machine without a display: it must flash a sample image with radtool to a simulated
# device, find that the device received exactly the image's stream, end with that one line and
# exit 0. ./test runs this after building build/, so the build step of ./run is quick here.
set -u
cd "$(dirname "$0")/../.."

out=$(mktemp)
trap 'rm -f "$out"' EXIT
# A generous bound: a hang must fail the check, not stall the whole test run.
timeout -k 10 900 env -u DISPLAY -u WAYLAND_DISPLAY ./run >"$out" 2>&1
status=$?
cat "$out"
if [ $status -ne 0 ]; then
  echo "./run without a display exited with status $status" >&2
  exit 1
fi
last=$(tail -n 1 "$out")
case "$last" in
  "Checked: the device received exactly the image's stream, "*) ;;
  *) echo "./run without a display did not end with its confirmation; last line: $last" >&2; exit 1 ;;
esac
# The transfer really ran through radtool: its summary line is there, and the progress lines.
grep -q "^Done: the preamble and all [0-9]* body bytes were delivered" "$out" \
  || { echo "no summary line of radtool flash in the output" >&2; exit 1; }
grep -q "^Sent 100% " "$out" || { echo "no progress lines of radtool flash in the output" >&2; exit 1; }
