# Sourced by scripts/demo.sh: what the run shows, read from the program's log
# (the memo), its message box and the simulated handset's records, checked and
# put into a short report. Expects run, image, port, baud, size_bytes and the
# texts memo, box, button_state.
problems=()
problem() { problems+=("$*"); }

# The handset's records; each helper prints nothing for a missing record and
# never fails, so that a partial run still gets its report.
records=$run/transcript.jsonl
has_event() { grep -q "\"event\":\"$1\"" "$records" 2>/dev/null; }
# The time (ms since the handset started) of the first record of an event.
event_ms() { { grep -m1 "\"event\":\"$1\"" "$records" 2>/dev/null || true; } | sed -n 's/^{"t":\([0-9]*\),.*/\1/p'; }
# A field of the first record of an event, without quotes.
event_field() {
  { grep -m1 "\"event\":\"$1\"" "$records" 2>/dev/null || true; } | sed -n "s/.*\"$2\":\"\{0,1\}\([^\",}]*\).*/\1/p"
}
block_count() { grep -c '"event":"block"' "$records" 2>/dev/null || true; }
event_names() { { grep -o '"event":"[a-z_]*"' "$records" 2>/dev/null || true; } | cut -d'"' -f4; }

# A time line of the log: "<head><weekday month day hh:mm:ss year>", then "."
# on the next line; its time as seconds since the epoch.
log_time() {
  local text
  text=$(printf '%s\n' "$memo" | tr -d '\r' | sed -n "s/^$1\(.*\)\$/\1/p" | head -n 1)
  [ -z "$text" ] || date -d "$text" +%s 2>/dev/null || true
}

ms_between() {
  local a b
  a=$(event_ms "$1") b=$(event_ms "$2")
  if [ -n "$a" ] && [ -n "$b" ]; then echo $((b - a)); fi
}
seconds() { if [ -n "$1" ]; then awk -v ms="$1" 'BEGIN { printf "%.1f s", ms / 1000 }'; else echo "?"; fi; }

check_run() {
  local expected_box="更新完成.                    "
  [ "$box" = "$expected_box" ] || problem "the final box says [$box], not [$expected_box]"

  local line want=("找到COM$port" "清除FLASH開始: " "清除FLASH結束: " "開始傳送檔案: " "結束傳送檔案: ") at=0 n
  for line in "${want[@]}"; do
    n=$(printf '%s\n' "$memo" | tr -d '\r' | grep -n -F "$line" | head -n 1 | cut -d: -f1 || true)
    if [ -z "$n" ] || [ "$n" -le "$at" ]; then problem "the log lacks \"$line\" in its place"; else at=$n; fi
  done

  if [ ! -f "$run/capture.bin" ]; then
    problem "the handset recorded no image"
  elif cmp -s "$image" "$run/capture.bin"; then
    received="byte for byte the image ($(stat -c %s "$run/capture.bin") bytes, cmp: identical)"
  else
    received="NOT the image: $(cmp "$image" "$run/capture.bin" 2>&1 | head -n 1 || true)"
    problem "the handset received other bytes than the image"
  fi

  local violations
  violations=$(event_field stopped violations)
  [ "$sim_status" = 0 ] && [ "$violations" = 0 ] ||
    problem "the handset saw ${violations:-?} protocol violation(s) (exit status $sim_status; see $run/sim.log)"
  sequence=$(event_names | { grep -v -x -e start -e block -e plugged -e unplugged -e stopped || true; } | tr '\n' ' ')
  [ "$sequence" = "sync national_read erase erase_end transfer image finish " ] ||
    problem "the handset saw the steps [${sequence% }], not a whole update"
  [ "$(event_field image ok)" = true ] || problem "the handset did not accept the image's checksum"

  printf '%s\n' "$button_state" | grep -q "^button: 更新韌體 enabled" ||
    problem "the update button is not enabled again after the final box"
}

durations() {
  local a b
  a=$(log_time "清除FLASH開始: ") b=$(log_time "清除FLASH結束: ")
  erase_log=$([ -n "$a" ] && [ -n "$b" ] && echo "$((b - a)) s" || echo "?")
  a=$(log_time "開始傳送檔案: ") b=$(log_time "結束傳送檔案: ")
  transfer_log=$([ -n "$a" ] && [ -n "$b" ] && echo "$((b - a)) s" || echo "?")
  erase_ms_seen=$(ms_between erase erase_end)
  transfer_ms_seen=$(ms_between transfer image)
  found_ms=$(ms_between plugged sync)
}

print_report() {
  local verdict=PASSED line_ms rate
  [ ${#problems[@]} -eq 0 ] || verdict=FAILED
  line_ms=$(awk -v n="$size_bytes" -v b="$baud" 'BEGIN { if (b > 0) printf "%d", n * 10000 / b; else print 0 }')
  rate=$(awk -v n="$size_bytes" -v ms="$transfer_ms_seen" 'BEGIN { if (ms + 0 > 0) printf "%.1f KiB/s", n / 1.024 / ms; else print "?" }')
  echo
  echo "==== ZEMU X7Q2 firmware update, simulated handset: $verdict ===="
  printf '  %-12s %s\n' \
    image "$(basename "$image"), $size_bytes bytes, checksum $(event_field image checksum | grep . || echo "?")" \
    handset "COM$port, plugged in about $(seconds "$plug_after") after the search began; national code $(event_field national_read code)" \
    line "$([ "$baud" -gt 0 ] && echo "$baud baud" || echo unpaced) (the handset's own line runs at 115200 baud)" \
    found "找到COM$port, $(seconds "$found_ms") after the plug-in" \
    erase "$erase_log by the log's time lines, $(seconds "$erase_ms_seen") at the handset" \
    transfer "$transfer_log by the log's time lines, $(seconds "$transfer_ms_seen") at the handset ($rate; line time $(seconds "$line_ms"))" \
    received "${received:-?}" \
    protocol "$(event_field stopped violations | grep . || echo "?") violations; steps at the handset: ${sequence% }" \
    "final box" "[$box]" \
    exit "${exit_note:-?}" \
    screenshots "$shot_transfer" "" "$shot_final" \
    "run folder" "$run"
  local p
  for p in "${problems[@]}"; do printf '  PROBLEM      %s\n' "$p"; done
}
