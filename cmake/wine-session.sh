#!/bin/sh
# start|stop a test session: the tree's Wine prefix (made when missing), a
# private Xvfb display (unless DISPLAY is set) and a persistent wineserver, so
# that each Wine test starts in milliseconds.
#   wine-session.sh WINE-RUN PREFIX DISPLAYFILE start|stop
run="$1"; prefix="$2"; displayfile="$3"; action="$4"
export WINEPREFIX="$prefix"
pidfile="$displayfile.pid"
case "$action" in
  start)
    "$(dirname "$0")/make-wineprefix.sh" "$run" "$prefix" win10 || exit 1
    # A session started again replaces the one before: its display goes too.
    if [ -f "$pidfile" ]; then
      kill "$(cat "$pidfile")" 2>/dev/null || true
      rm -f "$pidfile"
    fi
    if [ -z "$DISPLAY" ]; then
      n=90
      while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
      echo $! >"$pidfile"
      i=0
      while [ ! -e "/tmp/.X11-unix/X$n" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
      echo ":$n" >"$displayfile"
      DISPLAY=":$n"
    else
      echo "$DISPLAY" >"$displayfile"
    fi
    export DISPLAY
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -p </dev/null >/dev/null 2>&1
    if ! "$run" cmd /c exit </dev/null >"$prefix.session.log" 2>&1; then
      echo "Wine did not start in $prefix:" >&2
      sed 's/^/  /' "$prefix.session.log" >&2
      exit 1
    fi
    exit 0
    ;;
  stop)
    wineserver -k </dev/null >/dev/null 2>&1 || true
    if [ -f "$pidfile" ]; then
      kill "$(cat "$pidfile")" 2>/dev/null || true
      rm -f "$pidfile"
    fi
    rm -f "$displayfile"
    exit 0
    ;;
esac
echo "usage: $0 WINE-RUN PREFIX DISPLAYFILE start|stop" >&2
exit 2
