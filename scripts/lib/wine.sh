# Shared by scripts/test and scripts/run: a Wine prefix, a virtual X display, and Wine's
# background processes started once, with their output in files rather than in any pipe
# (they inherit the pipes of whoever starts them, which makes ctest wait for them).
#
#   wine_env_start PREFIX LOGDIR [fresh]   exports WINEPREFIX, DISPLAY (an Xvfb when none is
#                                          given or VRTLY_XVFB=1), LANG, WINEDEBUG
#   wine_env_keep KEEPER_EXE               keeps a windowless Wine program running
#   wine_env_stop                          stops what wine_env_start and wine_env_keep began

export LANG=C.UTF-8            # without a generated locale Wine mangles non-ASCII file names
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="   # no Mono or Gecko installer dialogs
export WINEARCH=win32

_wine_xvfb_pid=""
_wine_keeper_pid=""

_wine_free_display() {
  local n
  for n in $(seq 90 150); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then echo "$n"; return 0; fi
  done
  return 1
}

_wine_start_xvfb() {
  local logdir=$1 n
  n=$(_wine_free_display) || { echo "wine.sh: no free X display" >&2; return 1; }
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$logdir/xvfb.log" 2>&1 &
  _wine_xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "wine.sh: Xvfb on $DISPLAY did not come up (see $logdir/xvfb.log)" >&2
  return 1
}

wine_env_start() {
  local prefix=$1 logdir=$2 fresh=${3:-}
  mkdir -p "$logdir"
  if [ -z "${DISPLAY:-}" ] || [ "${VRTLY_XVFB:-0}" = 1 ]; then
    _wine_start_xvfb "$logdir" || return 1
  fi
  export WINEPREFIX=$prefix
  if [ -n "$fresh" ] && [ -d "$prefix" ]; then
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    rm -rf "$prefix"
  fi
  if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$(dirname "$prefix")"
    wineboot -i >"$logdir/wineboot.log" 2>&1 </dev/null || { echo "wine.sh: wineboot failed" >&2; return 1; }
    # Test-prefix settings: without a window manager, managed windows stall about 2 s on every
    # close; the themed status bar paints ten times slower.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
      >>"$logdir/wineboot.log" 2>&1 </dev/null
    wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' \
      /v ThemeActive /t REG_SZ /d 0 /f >>"$logdir/wineboot.log" 2>&1 </dev/null
    # Debian's Wine does not find its own fonts (MS Sans Serif, Tahoma, Marlett for the
    # caption buttons) in its data directory: put them where Windows keeps fonts. Windows'
    # Courier New is not among them; Wine's Courier stands in for it.
    if [ -d /usr/share/wine/fonts ]; then
      cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>>"$logdir/wineboot.log"
    fi
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
      /v 'Courier New' /t REG_SZ /d Courier /f >>"$logdir/wineboot.log" 2>&1 </dev/null
  fi
  wineserver -p >"$logdir/wineserver.log" 2>&1 </dev/null
  wine cmd /c exit >"$logdir/wine-first.log" 2>&1 </dev/null
}

wine_env_keep() {
  wine "$1" >"$(dirname "$WINEPREFIX")/wine-keeper.log" 2>&1 </dev/null &
  _wine_keeper_pid=$!
}

wine_env_stop() {
  [ -n "$_wine_keeper_pid" ] && kill "$_wine_keeper_pid" 2>/dev/null
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1
  [ -n "$_wine_xvfb_pid" ] && kill "$_wine_xvfb_pid" 2>/dev/null
  _wine_keeper_pid=""
  _wine_xvfb_pid=""
  return 0
}
