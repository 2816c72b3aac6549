#!/usr/bin/env bash
# The batch program under faults: signals, closed or full outputs, a second
# run on one Result file, outputs that would overwrite inputs, deep folders.
# Every run must end with whole rows and leave no LF copy behind.
#   faults.sh CLI SAMPLE WORK CASE
set -u
cli=$1 sample=$2 work=$3/$4 case=$4
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
rows=(--start-interval 100 --end-interval 6000 --frames 200 --threshold 2 --allow-errors 15)
long=(-q "${rows[@]}")
fail() { echo "FAIL: $*"; cat err 2>/dev/null; exit 1; }
# A Result file of 18 header lines and whole rows, every line CR LF.
whole() {
  local n; n=$(grep -c $'\r$' "$1")
  [[ $n -ge 18 && $n -eq $(wc -l < "$1") && $(tail -c 2 "$1" | od -An -c | tr -d ' ') == '\r\n' ]] ||
    fail "$1 is not header and whole rows"
  [[ -z $(ls -A | grep -F '$$MORVELAN') ]] || fail "an LF copy was left behind"
}
expect() { # exit code, message pattern
  [[ $code -eq $1 ]] || fail "exit code $code, expected $1"
  grep -q -- "$2" err || fail "no message '$2'"
}
started() { for _ in $(seq 200); do [[ -s $1 ]] && return; sleep 0.05; done; }
tr -d '\r' < "$sample" > lf.txt
case $case in
TERM | HUP | INT)
  "$cli" "${long[@]}" --lf lf.txt -o R.txt 2>err &
  pid=$!
  started R.txt; sleep 0.3; kill -"$case" $pid; wait $pid; code=$?
  expect 1 "処理を中断しました。"
  whole R.txt ;;
KILL)
  # The program writes whole rows only, but the kernel copies a write a page
  # at a time and a kill can stop it between two pages. So a cut is allowed
  # only at a page boundary, and only now and then: three tries, one must be
  # whole. (Rows held back in a buffer are cut at every kill.)
  for try in 1 2 3; do
    rm -f R.txt
    "$cli" "${long[@]}" --lf lf.txt -o R.txt 2>err &
    pid=$!
    started R.txt; sleep 0.3; kill -KILL $pid; wait $pid
    if (whole R.txt >/dev/null); then break; fi
    (( $(stat -c %s R.txt) % 4096 == 0 )) || fail "R.txt cut off a page boundary"
    (( try < 3 )) || fail "R.txt cut in three tries out of three"
  done ;;
empty_value)
  "$cli" -q --frames "" "$sample" -o R.txt 2>err; code=$?
  expect 2 "got ''"; [[ ! -e R.txt ]] || fail "the run started" ;;
pipe)
  "$cli" "${rows[@]}" "$sample" -o R.txt 2>err | head -1 >/dev/null; code=${PIPESTATUS[0]}
  expect 1 "処理を中断しました。"; whole R.txt ;;
file_size)
  (ulimit -f 64; "$cli" "${long[@]}" --lf lf.txt -o R.txt 2>err); code=$?
  expect 1 "出力ファイルに書き込めません：.*R.txt"; whole R.txt ;;
stdout_full)
  "$cli" --format csv "$sample" -o R.txt >/dev/full 2>err; code=$?
  expect 1 "標準出力に書き込めません。" ;;
second_run)
  "$cli" "${long[@]}" "$sample" -o R.txt 2>err1 &
  pid=$!
  started R.txt; "$cli" "${long[@]}" "$sample" -o R.txt 2>err; code=$?
  expect 1 "出力ファイルは他の処理が使用中です：.*R.txt"
  kill -TERM $pid; wait $pid; whole R.txt
  [[ $(grep -c '^; ' R.txt) -eq 16 && $(tr -d '\r\n ;0-9A-Za-z()～：:/._,-' < R.txt | wc -c) -lt 400 ]] ||
    fail "the first run's file was mixed with another" ;;
fifo)
  mkfifo fifo; timeout 10 "$cli" -q "$sample" -o fifo 2>err; code=$?
  expect 1 "通常のファイルではないため処理できません：.*fifo" ;;
same_files)
  printf '[Morvelan]\r\nTHRESHOLD=12\r\n' > m.ini; cp "$sample" in.txt; cp m.ini m.keep; cp in.txt in.keep
  ln -s in.txt link.png; mkfifo fifo.png # never a system device: a faulty program would replace it
  for args in "-o m.ini --settings m.ini" "--settings m.ini --raster 512:36 --raster-out m.ini" \
    "--raster 512:36 --raster-out link.png" "--raster 512:36 --raster-out fifo.png"; do
    # shellcheck disable=SC2086
    "$cli" -q $args in.txt 2>err; code=$?
    expect 2 "ません："
  done
  cmp -s m.ini m.keep && cmp -s in.txt in.keep && [[ -p fifo.png ]] || fail "a file was overwritten" ;;
deep)
  # A relative input in a folder whose absolute path is longer than PATH_MAX.
  name=$(printf 'd%.0s' $(seq 200))
  for _ in $(seq 24); do mkdir "$name" && cd "$name" || fail "mkdir"; done
  cp "$sample" in.txt; "$cli" -q --start-interval 512 --end-interval 512 in.txt 2>err; code=$?
  expect 0 "処理を終了しました。"; grep -q "^ 512 " Rin.txt || fail "no rows"; whole Rin.txt
  cd "$work" && rm -rf "$name" ;;
codec)
  # A CP932 codec that cannot be loaded fails the run; nothing is written
  # with "?" in place of the header's Japanese.
  mkdir gconv; printf 'module UTF-8// CP932// %s/none 1\nmodule CP932// UTF-8// %s/none 1\n' "$work" "$work" > gconv/gconv-modules
  GCONV_PATH=$work/gconv "$cli" -q "$sample" -o R.txt 2>err; code=$?
  expect 1 "文字コード CP932 の変換を開けません："; [[ ! -e R.txt ]] || fail "a Result file was written" ;;
planted_link)
  # A link planted under the derived Result name is refused and its target
  # kept; a link the user names with -o is followed.
  cp "$sample" in.txt; echo "another user's file" > victim; ln -s victim Rin.txt
  "$cli" -q in.txt 2>err; code=$?
  expect 1 "出力ファイルの位置にリンクがあるため処理できません：.*Rin.txt"
  [[ $(cat victim) == "another user's file" ]] || fail "the link was followed"
  "$cli" -q --end-interval 301 in.txt -o Rin.txt 2>err; code=$?
  expect 0 "処理を終了しました。"; whole victim ;;
absurd_interval)
  # Intervals up to the largest 32-bit value end promptly, each repeated
  # message at most 100 times plus one line counting the rest.
  printf '[Morvelan]\r\nSTART_SYNC_INTERVAL=2147483547\r\nEND_SYNC_INTERVAL=2147483647\r\n' > m.ini
  timeout 20 "$cli" -q --settings m.ini "$sample" -o R.txt 2>err; code=$?
  expect 0 "処理を終了しました。"; whole R.txt
  (( $(wc -l < err) < 1000 )) || fail "$(wc -l < err) lines of messages"
  [[ $(tail -1 err) == "処理を終了しました。" ]] || fail "the last line is not the status" ;;
*) fail "unknown case $case" ;;
esac
echo "ok: $case"
