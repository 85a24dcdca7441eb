#!/usr/bin/env bash
# The whole program in a virtual X server, as a user runs it: a copy of
# quorren and its window module in a scratch folder, a configuration naming a
# folder of sample faxes, Go pressed, the three tabs photographed, Escape
# pressed. Then the exit code, the configuration written on close, the log
# entry and every PDF are checked. Exits 77 (skipped) without xvfb-run.
#
# usage: window_under_xvfb.sh QUORREN WINDOW_MODULE MAKE_SAMPLES OUTPUT_FOLDER
set -uo pipefail

if [[ -z ${TARVELO_INSIDE_XVFB:-} ]]; then
  command -v xvfb-run >/dev/null || { echo "xvfb-run is not installed: skipped"; exit 77; }
  TARVELO_INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

quorren=$1 module=$2 make_samples=$3 output=$4
shots=$output/screenshots
# A short scratch path keeps the paths in the screenshots readable.
run=$(mktemp -d "${TMPDIR:-/tmp}/tarvelo-window.XXXXXX") || exit 1
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Ends the program by its own id; a test that stopped early never leaves a
# window behind in the server xvfb-run is about to tear down.
pid=
stop_program() {
  [[ -n $pid ]] && kill -0 "$pid" 2>/dev/null || return 0
  kill "$pid" 2>/dev/null
  sleep 2
  kill -0 "$pid" 2>/dev/null && kill -9 "$pid" 2>/dev/null
  return 0
}
# The scratch folder stays for a look when something failed.
finish() {
  stop_program
  if ((failures == 0)); then rm -rf "$run"; else echo "kept for a look: $run"; fi
}
trap finish EXIT

give_up() {
  fail "$@"
  exit 1
}

# Polls a condition (a command) every half second for at most $1 seconds.
wait_for() {
  local seconds=$1
  shift
  for ((tick = 0; tick < seconds * 2; ++tick)); do
    "$@" && return 0
    sleep 0.5
  done
  return 1
}

rm -rf "$shots"
mkdir -p "$shots" "$run/runtime"
chmod 700 "$run/runtime"
export XDG_RUNTIME_DIR=$run/runtime
cp "$quorren" "$module" "$run/" || give_up "cannot copy the program"
"$make_samples" "$run/faxes" >/dev/null || give_up "make_samples failed"

# The configuration and the log live beside the executable, so the copy's
# folder holds them. Sub-folders are included: the samples use some.
printf '[Main]\r\nFaxDir=%s\r\nSaveDir=%s\r\n[Options]\r\nSubdir=1\r\n' \
  "$run/faxes" "$run/pdf" >"$run/mirelda.ini"

"$run/quorren" >"$run/stdout.txt" 2>"$run/stderr.txt" </dev/null &
pid=$!

still_running() {
  kill -0 "$pid" 2>/dev/null ||
    give_up "the program ended early: $(cat "$run/stdout.txt" "$run/stderr.txt")"
}
window=
window_shown() {
  still_running
  window=$(xdotool search --onlyvisible --name '^Tarvelo$' 2>/dev/null | head -n 1)
  [[ -n $window ]]
}
wait_for 30 window_shown || give_up "no window named Tarvelo appeared"
# No window manager runs under Xvfb: the keys go where the focus is.
timeout 10 xdotool windowfocus --sync "$window" || give_up "the window did not take the focus"
xdotool key alt+g

log=$run/log/kvtlog.txt
run_logged() {
  still_running
  [[ -f $log ]] && grep -q -- '-----' "$log"
}
wait_for 120 run_logged || give_up "the run wrote no log entry within two minutes"
# The last rows and the status reach the window through queued signals.
sleep 1

photograph() { timeout 30 import -window "$window" "$shots/$1" || fail "no screenshot $1"; }
photograph window-convert.png
xdotool key ctrl+Tab
sleep 1
photograph window-options.png
xdotool key ctrl+Tab
sleep 1
photograph window-settings.png

xdotool key Escape
program_ended() { ! kill -0 "$pid" 2>/dev/null; }
wait_for 30 program_ended || give_up "Escape did not end the program"
wait "$pid"
code=$?
pid=
[[ $code == 2 ]] || fail "exit code $code after Escape, expected 2 ($(cat "$run/stderr.txt"))"

# Every key of the three sections, each in its own section.
stored=$(tr -d '\r' <"$run/mirelda.ini" |
  awk -F= '/^\[.*\]$/ { section = substr($0, 2, length($0) - 2); next }
           NF > 1 { print section "/" $1 }' | sort)
expected=$(printf '%s\n' Main/FaxDir Main/SaveDir Main/BakDir \
  Options/DirFile Options/Subdir Options/Hiberarchy Options/KeepDate Options/KeepExt \
  Options/Cyclely Options/CycleMinutes Settings/AutoBit Settings/NStdWidth Settings/MinWidth \
  Settings/Threshold Settings/FlagNum Settings/RawFlag Settings/Recaculate | sort)
[[ $stored == "$expected" ]] || fail "mirelda.ini keys differ:"$'\n'"$(diff <(echo "$expected") <(echo "$stored"))"
grep -qx "FaxDir=$run/faxes"$'\r' "$run/mirelda.ini" || fail "FaxDir was not kept"

[[ $(sed -n 2p "$log" | tr -d '\r') == "Tarvelo in GUI mode : convert folder" ]] ||
  fail "the log entry does not start with the window's header: $(head -n 3 "$log")"

# Every sample is a fax except the text file the walk leaves out and the
# sidecar of the g3n fax; each fax gives a PDF named after it (KeepExt).
converted=0
while IFS= read -r -d '' fax; do
  pdf=$run/pdf/$(basename "$fax").pdf
  if [[ ! -f $pdf ]]; then
    fail "no PDF for $fax"
  elif ! qpdf --check "$pdf" >/dev/null 2>&1; then
    fail "$pdf does not pass qpdf --check"
  fi
  converted=$((converted + 1))
done < <(find "$run/faxes" -type f ! -name '*.txt' ! -iname '*.ctl' -print0)
((converted >= 10)) || fail "only $converted sample faxes were found"
written=$(find "$run/pdf" -type f | wc -l)
[[ $written == "$converted" ]] || fail "$written files in the output folder for $converted faxes"
successes=$(grep -c 'Success !' "$log")
[[ $successes == "$converted" ]] || fail "$successes successes logged for $converted faxes"

# Each tab drew something of its own: the tab switches reached the window.
signatures=$(for shot in window-convert window-options window-settings; do
  identify -format '%#\n' "$shots/$shot.png" 2>/dev/null || echo "unreadable $shot"
done | sort -u | grep -vc unreadable)
[[ $signatures == 3 ]] || fail "the three screenshots are not three different pictures"

((failures == 0)) && echo "window run passed: $converted faxes converted, screenshots in $shots"
((failures == 0))
