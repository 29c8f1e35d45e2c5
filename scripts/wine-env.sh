# Sourced: the environment every Wine call of the project runs with.
# Expects WINEPREFIX to be set by the caller.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES='mscoree,mshtml='
export LANG=zh_TW.UTF-8 LC_ALL=zh_TW.UTF-8
if [ -z "${DISPLAY:-}" ] && [ -f "$WINEPREFIX.display" ]; then
  DISPLAY=$(cat "$WINEPREFIX.display")
  export DISPLAY
fi
