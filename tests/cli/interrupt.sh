#!/usr/bin/env bash
# Ctrl-C during a long batch run ends it as an abort: exit code 1,
# "処理を中断しました。", and a Result file that keeps its header and the
# rows written so far, each one whole.
#   interrupt.sh CLI INPUT RESULT
set -u
cli=$1 input=$2 result=$3
rm -f "$result"
# Threshold 2 over a wide range reports a row for nearly every candidate of
# the sample's frame interval and keeps the search busy for seconds.
"$cli" -q --start-interval 100 --end-interval 6000 --frames 200 --threshold 2 --allow-errors 15 \
  "$input" -o "$result" 2>"$result.err" &
pid=$!
for _ in $(seq 100); do
  [[ -s "$result" ]] && break
  sleep 0.05
done
sleep 0.3
kill -INT "$pid"
wait "$pid"
code=$?
fail() { echo "FAIL: $*"; cat "$result.err"; exit 1; }
[[ $code -eq 1 ]] || fail "exit code $code, expected 1"
grep -q "処理を中断しました。" "$result.err" || fail "no interruption message"
lines=$(grep -c $'\r$' "$result")
[[ $lines -ge 18 ]] || fail "header incomplete ($lines lines)"
[[ $(tail -c 2 "$result" | od -An -c | tr -d ' ') == '\r\n' ]] || fail "last row not whole"
total=$(wc -l < "$result")
[[ $total -eq $lines ]] || fail "a line without CR LF"
echo "interrupted after $((lines - 18)) rows"
