#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs a whole firmware
# update of the simulated handset under Wine, as a user runs one: the program
# starts in a folder holding the image, "更新韌體" is pressed, and the handset
# is plugged in a few seconds after the search has begun.
#   bash scripts/demo.sh [--manual] [--baud B] [--size SIZE] [--port N]
#                        [--erase-ms MS] [--plug-after MS] [--fault F]...
# Screenshots go to $BUILD_DIR/demo/, the run's files to $BUILD_DIR/demo/run/.
# Exit status 0 when the handset received the image byte for byte and the
# program reported "更新完成."; 1 with the reason otherwise.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$src/build}

usage() {
  cat >&2 <<'EOF'
usage: bash scripts/demo.sh [--manual] [--baud B] [--size SIZE] [--port N]
                            [--erase-ms MS] [--plug-after MS] [--fault F]...
  --manual          a person presses 更新韌體 in the window (needs DISPLAY)
  --baud B          line speed of the simulated handset (default 921600; the real one: 115200)
  --size SIZE       image size for the image maker, e.g. 6M or 5800K (default 6M)
  --port N          COM port of the handset, 4..64 (default 7)
  --erase-ms MS     how long the handset's erase takes (default 3000)
  --plug-after MS   plug-in delay after the search has begun (default 3000)
  --fault F         a fault for the handset to play (see x7sim --help); repeatable
EOF
  exit 2
}

manual=0 baud=921600 size=6M port=7 erase_ms=3000 plug_after=3000 sim_faults=()
while [ $# -gt 0 ]; do
  case "$1" in
    --manual) manual=1; shift; continue ;;
    --baud) baud=${2:-} ;;
    --size) size=${2:-} ;;
    --port) port=${2:-} ;;
    --erase-ms) erase_ms=${2:-} ;;
    --plug-after) plug_after=${2:-} ;;
    --fault) sim_faults+=(--fault "${2:-}") ;;
    *) usage ;;
  esac
  [ $# -ge 2 ] || usage
  shift 2
done
for n in "$baud" "$port" "$erase_ms" "$plug_after"; do [[ $n =~ ^[0-9]+$ ]] || usage; done
[ "$port" -ge 4 ] && [ "$port" -le 64 ] || usage
if [ "$manual" = 1 ] && [ -z "${DISPLAY:-}" ]; then
  echo "demo: --manual needs a display that a person sees (DISPLAY is not set)" >&2
  exit 2
fi

bash "$src/scripts/install.sh"
bash "$src/scripts/build.sh"

demo=$BUILD_DIR/demo
run=$demo/run
source "$src/scripts/demo/session.sh"
source "$src/scripts/demo/report.sh"
trap session_end EXIT
trap 'fail "interrupted"' INT TERM HUP

# Time budgets, from the line time of the image at the chosen speed.
line_time_s() { awk -v n="$1" -v b="$baud" 'BEGIN { printf "%d", (b > 0 ? n * 10 / b + 1 : 60) }'; }

say "setting up the Wine prefix $prefix"
prefix_up

rm -rf "$run"
mkdir -p "$run"
image=$run/X7Q2-ZEMU-TW-R103-0-V4_4_0.bin
"$host/tools/mkimage/mkimage" "$size" "$image" >/dev/null || fail "the image maker could not make $size bytes"
size_bytes=$(stat -c %s "$image")
transfer_budget=$(( $(line_time_s "$size_bytes") * 3 / 2 + 60 ))
sim_lifetime=$(( 600 + plug_after / 1000 + erase_ms / 1000 + transfer_budget ))
say "image: $image ($size_bytes bytes)"

program_start
ui 30000 wait-window >/dev/null || fail "the program's window did not appear (see $run/program.log)"
say "the program is running in $run"

if [ "$manual" = 1 ]; then
  say "press 更新韌體 in the window now; the handset will be plugged in $(seconds "$plug_after") after the search begins"
  ui 600000 wait-memo "此程序可能需要30秒時間" >/dev/null || fail "更新韌體 was not pressed within 10 minutes"
else
  ui 10000 click "更新韌體" || fail "could not press 更新韌體"
  ui 20000 wait-memo "此程序可能需要30秒時間" >/dev/null || fail "the search did not begin after 更新韌體 was pressed"
fi
say "the search has begun; the simulated handset comes in as COM$port in $(seconds "$plug_after") ($baud baud)"
sim_start

# Waits until the handset's records hold an event, for at most S seconds. A
# message box shown meanwhile ends the wait: the run has ended early.
wait_event() {
  local event=$1 s=$2 i early
  for ((i = 1; i <= s * 5; i++)); do
    has_event "$event" && return 0
    program_running || fail "the program ended while waiting for \"$event\" at the handset"
    sim_running || fail "the simulated handset stopped while waiting for \"$event\" (see $run/sim.log)"
    if ((i % 25 == 0)) && early=$(ui 0 box 2>/dev/null); then
      fail "the program showed the box [${early%$'\n'}] before \"$event\" at the handset"
    fi
    sleep 0.2
  done
  fail "no \"$event\" at the handset within $s s"
}

wait_event plugged $((plug_after / 1000 + 30))
say "the handset is plugged in"
wait_event transfer $((erase_ms / 1000 + 60))
say "erased; the transfer is under way"

blocks=$((size_bytes / 4000))
for ((i = 0; i < transfer_budget * 5; i++)); do
  [ "$(block_count)" -ge $((blocks / 3)) ] && break
  { has_event image || has_event finish; } && break
  program_running || fail "the program ended during the transfer"
  sleep 0.2
done
mkdir -p "$demo"
shot_transfer=$demo/transfer.png shot_final=$demo/final.png
screenshot "$shot_transfer" || fail "no screenshot of the window during the transfer"
say "screenshot during the transfer: $shot_transfer"

wait_event finish "$transfer_budget"
box=$(ui 20000 box) || fail "no final message box"
box=${box%$'\n'}
screenshot "$shot_final" || fail "no screenshot of the window with the final box"
memo=$(ui 5000 memo) || fail "could not read the log"

echo
echo "---- the log (memo) ----"
printf '%s\n' "$memo" | tr -d '\r' | sed 's/^/  /'
echo "---- the final box ----"
printf '  [%s]\n' "$box"
echo "------------------------"

if [ "$manual" = 1 ]; then
  say "press OK in the box (it is pressed for you in 10 s)"
  for ((i = 0; i < 20; i++)); do ui 0 box >/dev/null 2>&1 || break; sleep 0.5; done
fi
ui 1000 box >/dev/null 2>&1 && { ui 5000 ok || fail "could not press OK in the final box"; }
button_state=$(ui 5000 state) || fail "could not read the window after the final box"

sim_stop
check_run
durations

ui 5000 click "結束程式" || fail "could not press 結束程式"
program_wait_end 15 || fail "the program did not end after 結束程式 was pressed"
if [ "$program_status" = 0 ]; then
  exit_note="結束程式 pressed; the program ended with status 0"
else
  exit_note="結束程式 pressed; the program ended with status $program_status"
  problem "the program's exit status was $program_status, not 0"
fi

print_report
[ ${#problems[@]} -eq 0 ] || { failed=1; echo "demo: FAILED (see the problems above)" >&2; exit 1; }
echo "demo: PASSED"
