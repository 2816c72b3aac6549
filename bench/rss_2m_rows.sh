#!/usr/bin/env bash
# Peak memory of a batch run that reports about two million rows, with -q
# and with --summary. Every parameter is one the window's fields accept; an
# all-zero capture makes every candidate recur in every frame, so each of
# the 1,996,050 candidates of intervals 100..2000 is reported.
#   bench/rss_2m_rows.sh [morvelan-cli]   (default build/src/cli/morvelan-cli)
set -euo pipefail
cli=${1:-$(dirname "$0")/../build/src/cli/morvelan-cli}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
{
  printf ';;TDM all-zero capture\r\n'
  for _ in $(seq 626); do printf '%080d\r\n' 0; done
} > "$work/zero.txt"
printf '[Morvelan]\r\nSTART_SYNC_INTERVAL=100\r\nEND_SYNC_INTERVAL=2000\r\nSYNC_BIT_SIZE=20\r\nALLOW_ERR_BITS=0\r\nIGNORE_START_BITS=0\r\nFRAME_ROUNDS=5\r\nTHRESHOLD=5\r\nBUF_SIZE=300000\r\n' > "$work/Morvelan.ini"
for extra in -q "-q --summary"; do
  # shellcheck disable=SC2086
  /usr/bin/time -f "%M %e" -o "$work/time" "$cli" $extra --no-exclusions --settings "$work/Morvelan.ini" \
    "$work/zero.txt" -o "$work/R.txt" >/dev/null 2>"$work/err" || { cat "$work/err"; exit 1; }
  read -r kb seconds < "$work/time"
  rows=$(( $(wc -l < "$work/R.txt") - 18 ))
  echo "morvelan-cli $extra: $rows rows, peak RSS $((kb / 1024)) MB, $seconds s"
done
