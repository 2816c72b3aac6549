#!/usr/bin/env bash
# The window's time and memory for two big runs next to the batch program's.
# An all-zero capture matches at every interval and index, so every
# candidate is a row: intervals 100..700 give 240,400 rows, 100..2000 give
# 1,996,050. Usage: bench/window_vs_batch.sh [BUILD_DIR]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
{
  echo "; TDM all-zero capture"
  for ((i = 0; i < 625; i++)); do printf '%080d\r\n' 0; done
  echo "; end"
} > "$work/zero.txt"

printf '%-10s %10s %14s %10s %10s\n' run rows program seconds peak_MB
for end in 700 2000; do
  printf '[Morvelan]\r\nSTART_SYNC_INTERVAL=100\r\nEND_SYNC_INTERVAL=%s\r\nSYNC_BIT_SIZE=20\r\nALLOW_ERR_BITS=2\r\nIGNORE_START_BITS=0\r\nFRAME_ROUNDS=20\r\nTHRESHOLD=10\r\nBUF_SIZE=300000\r\n' "$end" > "$work/Morvelan.ini"
  # The batch program prints every row, as a user watching it would see them.
  start=$(date +%s.%N)
  /usr/bin/time -f '%M' -o "$work/batch.mem" "$build/src/cli/morvelan-cli" --settings "$work/Morvelan.ini" \
    "$work/zero.txt" > /dev/null 2>&1
  batch_s=$(echo "$(date +%s.%N) - $start" | bc)
  rows=$(($(wc -l < "$work/Rzero.txt") - 18))
  printf '%-10s %10s %14s %10.2f %10.1f\n' "100..$end" "$rows" morvelan-cli "$batch_s" "$(echo "$(cat "$work/batch.mem") / 1024" | bc -l)"
  read -r _ wrows _ wsec _ wpeak _ wrss < <(QT_QPA_PLATFORM=offscreen "$build/bench/morvelan_window_run" \
    "$work/Morvelan.ini" "$work/zero.txt" 2>/dev/null)
  printf '%-10s %10s %14s %10.2f %10.1f   (resident after the run %.1f MB; %.2fx the batch time)\n' "100..$end" "$wrows" \
    morvelan "$wsec" "$(echo "$wpeak / 1024" | bc -l)" "$(echo "$wrss / 1024" | bc -l)" "$(echo "$wsec / $batch_s" | bc -l)"
done
