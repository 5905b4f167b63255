#!/bin/sh
# Starts or stops the test session: an Xvfb display, the private Wine prefix (made once per
# build folder) and one persistent wineserver. Only what this script started is stopped.
#   wine-session.sh start [keeper.exe]
#                           prints nothing on success; later wine-run calls find the display.
#                           keeper.exe (tests/support/desktop_keeper.cpp) holds the desktop
#                           process so no test's output pipe is inherited by it.
#   wine-session.sh stop
#   wine-session.sh running   exit status 0 when a session is up
#   wine-session.sh check     as running, and says how to start one when there is none
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build="$here/../build"
session="$build/wine-session"
export WINEPREFIX="${STOWLET_WINEPREFIX:-$build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)

alive() { [ -f "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }

start() {
    mkdir -p "$session"
    if ! alive "$session/xvfb.pid"; then
        exec 3>"$session/display.tmp"
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$session/xvfb.log" 2>&1 &
        echo $! >"$session/xvfb.pid"
        exec 3>&-
        i=0
        while [ ! -s "$session/display.tmp" ]; do
            i=$((i + 1)); [ $i -le 100 ] || { echo "wine-session: Xvfb did not start" >&2; exit 1; }
            sleep 0.1
        done
        tr -d '\n' <"$session/display.tmp" >"$session/display"
        rm -f "$session/display.tmp"
    fi
    DISPLAY=":$(cat "$session/display")"
    export DISPLAY
    if [ ! -f "$WINEPREFIX/.stowlet-ready" ]; then
        echo "wine-session: creating the Wine prefix (once per build folder)"
        rm -rf "$WINEPREFIX"
        # no Mono or Gecko installer prompts: nothing here needs them
        WINEDLLOVERRIDES="mscoree,mshtml=" $WINE wineboot --init >/dev/null 2>&1
        # Without a window manager Wine waits about 2 s on every window it hides unless
        # windows are unmanaged; a crash must end a test, not open a dialog.
        $WINE reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        $WINE reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        "$WINESERVER" -w
        touch "$WINEPREFIX/.stowlet-ready"
    fi
    if ! alive "$session/wineserver.pid"; then
        "$WINESERVER" -p -f >"$session/wineserver.log" 2>&1 &
        echo $! >"$session/wineserver.pid"
        # the server is up once a client can reach it
        $WINE cmd /c exit 0 >/dev/null 2>&1 || true
    fi
    if [ -n "${1:-}" ] && ! alive "$session/keeper.pid"; then
        $WINE "$1" </dev/null >/dev/null 2>&1 &
        echo $! >"$session/keeper.pid"
    fi
}

stop() {
    if alive "$session/wineserver.pid"; then
        "$WINESERVER" -k 2>/dev/null || true
        kill "$(cat "$session/wineserver.pid")" 2>/dev/null || true
    fi
    if alive "$session/xvfb.pid"; then kill "$(cat "$session/xvfb.pid")" 2>/dev/null || true; fi
    rm -f "$session/wineserver.pid" "$session/xvfb.pid" "$session/keeper.pid" "$session/display"
}

case "${1:-}" in
start) start "${2:-}" ;;
stop) stop ;;
running) alive "$session/xvfb.pid" && alive "$session/wineserver.pid" ;;
check)
    if alive "$session/xvfb.pid" && alive "$session/wineserver.pid"; then exit 0; fi
    cat >&2 <<EOF
No Wine session is running for this worktree, and the Windows tests need its display.
Start one, then run the tests again:
    scripts/wine-session.sh start build/win64/bin/desktop_keeper.exe
(stop it with scripts/wine-session.sh stop), or run everything with scripts/test.sh,
which starts and stops a session itself. CONTRIBUTING.md has the details.
EOF
    exit 1
    ;;
*) echo "usage: $0 start|stop|running|check" >&2; exit 2 ;;
esac
