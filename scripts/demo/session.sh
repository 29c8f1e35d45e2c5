# Sourced by scripts/demo.sh: the processes of one demo run, started and
# always stopped again. Expects src, BUILD_DIR and run (the run folder).
win=$BUILD_DIR/win64
host=$BUILD_DIR/host
prefix=$win/wine
ports=$win/ports
wineserver=/usr/lib/wine/wineserver64

program_pid=""
program_status=""
sim_pid=""
sim_status=""
server_before=0
xvfb_before=0

say() { printf 'demo: %s\n' "$*"; }

# Ends the run with a reason; the EXIT trap stops what was started.
fail() {
  failed=1
  printf '\ndemo: FAILED: %s\n' "$*" >&2
  [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null && show_state_for_diagnosis
  exit 1
}

show_state_for_diagnosis() {
  local memo
  memo=$(ui 3000 memo 2>/dev/null) || return 0
  printf 'demo: the log at this moment:\n' >&2
  printf '%s\n' "$memo" | tr -d '\r' | sed 's/^/    /' >&2
  [ -f "$run/transcript.jsonl" ] && { printf 'demo: the handset'\''s last records:\n' >&2; tail -n 4 "$run/transcript.jsonl" | sed 's/^/    /' >&2; }
  return 0
}

# The UI driver in the tree's prefix: ui TIMEOUT_MS COMMAND [ARG]. Bounded
# twice: by the driver's own wait and, should Wine itself stall, from outside.
ui() {
  local ms=$1; shift
  timeout -k 5 $((ms / 1000 + 30)) "$win/wine-run.sh" "$win/tools/ui_driver/ui_driver.exe" --timeout "$ms" "$@"
}

screenshot() { timeout -k 5 60 bash "$src/tools/ui_driver/screenshot.sh" "$win" "$1"; }

# The wineserver of our prefix, found by its working folder, which Wine names
# after the prefix's device and inode.
prefix_server_running() {
  [ -d "$prefix" ] || return 1
  local tag p
  tag="server-$(stat -c %D "$prefix")-$(printf %x "$(stat -c %i "$prefix")")"
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/exe" 2>/dev/null)" = "$wineserver" ] || continue
    case "$(readlink "$p/cwd" 2>/dev/null)" in */"$tag") return 0 ;; esac
  done
  return 1
}

prefix_xvfb_running() { [ -f "$prefix.xvfb.pid" ] && kill -0 "$(cat "$prefix.xvfb.pid")" 2>/dev/null; }

# Sets up the prefix (and an X server when there is no display), noting what
# already ran so that the end leaves it as it was found.
prefix_up() {
  prefix_server_running && server_before=1
  prefix_xvfb_running && xvfb_before=1
  timeout -k 5 300 bash "$src/scripts/wine-prefix.sh" up "$prefix" "$ports" || fail "the Wine prefix could not be set up ($prefix)"
  if [ -z "${DISPLAY:-}" ]; then
    DISPLAY=$(cat "$prefix.display" 2>/dev/null) || fail "no X display for the prefix"
  fi
}

prefix_release() {
  if [ "$xvfb_before" = 0 ] && prefix_xvfb_running; then
    bash "$src/scripts/wine-prefix.sh" down "$prefix"
  elif [ "$server_before" = 0 ]; then
    WINEPREFIX=$prefix "$wineserver" -k </dev/null >/dev/null 2>&1 || true
  fi
}

# The program, started as a user starts it: from the folder holding the image.
program_start() {
  (cd "$run" && exec "$win/wine-run.sh" "$win/app/X7Q2Update.exe") >"$run/program.log" 2>&1 &
  program_pid=$!
}

program_running() { [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; }

# Waits up to S seconds for the program to end; its exit status in program_status.
program_wait_end() {
  local s=$1 i
  for ((i = 0; i < s * 10; i++)); do program_running || break; sleep 0.1; done
  program_running && return 1
  wait "$program_pid" && program_status=0 || program_status=$?
  program_pid=""
}

program_stop() {
  program_running || return 0
  kill "$program_pid" 2>/dev/null
  program_wait_end 5 || { kill -9 "$program_pid" 2>/dev/null; program_wait_end 5 || true; }
}

# The simulated handset, native, plugged in plug_after ms from now.
sim_start() {
  (
    export WINEPREFIX=$prefix
    source "$src/scripts/wine-env.sh"
    exec "$host/sim/x7sim" --port "$port" --ports-dir "$ports" --register \
      --plug-after "$plug_after" --baud "$baud" --erase-ms "$erase_ms" "${sim_faults[@]}" \
      --capture "$run/capture.bin" --transcript "$run/transcript.jsonl" \
      --ready "$run/sim.ready" --stop "$run/sim.stop" --log "$run/sim.log" --lifetime "$sim_lifetime"
  ) </dev/null >/dev/null 2>&1 &
  sim_pid=$!
  local i
  for ((i = 0; i < 100; i++)); do [ -f "$run/sim.ready" ] && return 0; sim_running || break; sleep 0.1; done
  fail "the simulated handset did not start (see $run/sim.log)"
}

sim_running() { [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; }

# Stops it cleanly (link and registry value removed, transcript finished);
# its exit status (0 clean, 1 protocol violations) in sim_status.
sim_stop() {
  [ -n "$sim_pid" ] || return 0
  touch "$run/sim.stop"
  local i
  for ((i = 0; i < 100; i++)); do sim_running || break; sleep 0.1; done
  sim_running && { kill "$sim_pid" 2>/dev/null; sleep 2; }
  sim_running && kill -9 "$sim_pid" 2>/dev/null
  wait "$sim_pid" && sim_status=0 || sim_status=$?
  sim_pid=""
}

session_end() {
  local status=$?
  set +e
  [ "$status" = 0 ] || [ -n "${failed:-}" ] ||
    printf '\ndemo: FAILED: stopped by an unexpected error (status %s); the run folder is %s\n' "$status" "$run" >&2
  sim_stop
  program_stop
  prefix_release
}
