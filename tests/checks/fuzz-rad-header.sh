#!/usr/bin/env bash
# Fuzzes image decoding and acceptance for a bounded time with libFuzzer under AddressSanitizer
# and UndefinedBehaviorSanitizer. Built with clang in build/fuzz/, apart from the main (g++)
# build. Exits non-zero on a crash, a sanitizer report or a broken rule.
# FUZZ_SECONDS sets the time (default 25).
set -eu
cd "$(dirname "$0")/../.."

out=build/fuzz
mkdir -p "$out/corpus"
clang=$(command -v clang++-14 || command -v clang++) || { echo "clang++ is not installed" >&2; exit 1; }

"$clang" -std=c++17 -g -O1 -Wall -Wextra -I. \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  transfer/rad_header.cpp tests/fuzz/rad_header_fuzzer.cpp -o "$out/rad_header_fuzzer"

# Seeds that reach every rule: a dated USB serial-flash image, a UART one, a bad magic byte,
# each 1028 bytes (header, then the date 12/31/2010). A fuzzer that starts from nothing rarely
# grows an input past 1028 bytes on its own. The sample images of the plain build join them.
seeds=("$out/seeds")
mkdir -p "$out/seeds"
seed() {  # seed NAME FIRST-BYTES(printf escapes)
  { printf "$2"; head -c $((1024 - $(printf "$2" | wc -c))) /dev/zero; printf '\x0c\x00\x1f\x0a'; } \
    >"$out/seeds/$1"
}
seed usb-serial-dated '\x24\x01\x02\x00\x00\x01\x00\x04\x14\x00\x00\x03\x00\x00\x00'
seed uart-eflash '\x24\x00\x01\x00\x20\x00\x00'
seed bad-magic '\x25\x01\x03\x40'
[ -d build/samples ] && seeds+=(build/samples)

ASAN_OPTIONS=abort_on_error=1:quarantine_size_mb=16 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "$out/rad_header_fuzzer" -max_total_time="${FUZZ_SECONDS:-25}" -max_len=2100 -timeout=10 \
  -rss_limit_mb=1024 -print_final_stats=1 -artifact_prefix="$out/" \
  "$out/corpus" "${seeds[@]}"
