#!/bin/sh
# Starts or stops the test sessions: each an Xvfb display, a private Wine prefix (made once per
# build folder) and one persistent wineserver. The main session serves the 64-bit build's tests
# and every script; the 32-bit build's tests have a session of their own ("win32"), so the two
# builds' window tests, which need a desktop to themselves, can run at the same time. Only what
# this script started is stopped.
#   wine-session.sh start [keeper.exe] [main|win32 ...]
#                           starts the sessions named (both when none is named); prints nothing
#                           on success, and later wine-run calls find the display. keeper.exe
#                           (tests/support/desktop_keeper.cpp) holds the desktop process so no
#                           test's output pipe is inherited by it.
#   wine-session.sh stop [main|win32 ...]   stops the sessions named (both when none is named)
#   wine-session.sh running [main|win32]   exit status 0 when that session is up (both: both)
#   wine-session.sh check [main|win32]     as running, and says how to start one when not
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build="$here/../build"
export WINEDEBUG="${WINEDEBUG:--all}"
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)

alive() { [ -f "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }

# use <name>: the session's folder and prefix (wine-run picks them the same way).
use() {
    case "$1" in
    main) session="$build/wine-session"; WINEPREFIX="${STOWLET_WINEPREFIX:-$build/wineprefix}" ;;
    win32) session="$build/wine-session-win32"; WINEPREFIX="$build/wineprefix-win32" ;;
    *) echo "wine-session: no session $1 (main or win32)" >&2; exit 2 ;;
    esac
    export WINEPREFIX
}

up() { use "$1" && alive "$session/xvfb.pid" && alive "$session/wineserver.pid"; }

start_one() {
    use "$1"
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
        echo "wine-session: creating the Wine prefix of session $1 (once per build folder)"
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
    if [ -n "$2" ] && ! alive "$session/keeper.pid"; then
        $WINE "$2" </dev/null >/dev/null 2>&1 &
        echo $! >"$session/keeper.pid"
    fi
}

# Sessions start side by side: making a prefix takes most of the time.
start() {
    keeper=${1:-}
    [ $# -gt 0 ] && shift
    [ $# -gt 0 ] || set -- main win32
    pids=
    for name in "$@"; do
        start_one "$name" "$keeper" &
        pids="$pids $!"
    done
    failed=0
    for pid in $pids; do wait "$pid" || failed=1; done
    return $failed
}

stop_one() {
    use "$1"
    if alive "$session/wineserver.pid"; then
        "$WINESERVER" -k 2>/dev/null || true
        kill "$(cat "$session/wineserver.pid")" 2>/dev/null || true
    fi
    if alive "$session/xvfb.pid"; then kill "$(cat "$session/xvfb.pid")" 2>/dev/null || true; fi
    rm -f "$session/wineserver.pid" "$session/xvfb.pid" "$session/keeper.pid" "$session/display"
}

running() {
    [ $# -gt 0 ] || set -- main win32
    for name in "$@"; do up "$name" || return 1; done
}

case "${1:-}" in
start) shift; start "$@" ;;
stop)
    shift
    [ $# -gt 0 ] || set -- main win32
    for name in "$@"; do stop_one "$name"; done
    ;;
running) shift; running "$@" ;;
check)
    shift
    if running "$@"; then exit 0; fi
    cat >&2 <<MESSAGE
No Wine session ${1:-} is running for this worktree, and the Windows tests need its display.
Start the sessions, then run the tests again:
    scripts/wine-session.sh start build/win64/bin/desktop_keeper.exe
(stop them with scripts/wine-session.sh stop), or run everything with scripts/test.sh,
which starts and stops them itself. CONTRIBUTING.md has the details.
MESSAGE
    exit 1
    ;;
*) echo "usage: $0 start [keeper.exe] [name ...] | stop [name ...] | running [name] | check [name]" >&2; exit 2 ;;
esac
