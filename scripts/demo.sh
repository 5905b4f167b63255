#!/bin/sh
# Builds the release product (32-bit) and shows it at work under Wine, unattended: a
# double-click's worth of settings-file mode on the bundled example (examples/).
set -eu
cd "$(dirname "$0")/.."
top=$(pwd)
sh scripts/bootstrap.sh
echo "building the 32-bit release exe ..."
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target Stowlet boxdriver probe_gui desktop_keeper >/dev/null
if ! scripts/wine-session.sh running main; then
    scripts/wine-session.sh start build/win32/bin/desktop_keeper.exe main
    trap '"$top/scripts/wine-session.sh" stop main' EXIT INT TERM
fi
bin=build/win32/bin

# The demo folder: Stowlet.exe with its INI, a project to back up, and a worker program
# (the tests' probe, which records how it was started and would run for 60 seconds).
demo=$top/build/demo
rm -rf "$demo"
mkdir -p "$demo"
cp -r examples/project "$demo/project"
cp "$bin/Stowlet.exe" "$demo/Stowlet.exe"
cp "$bin/probe_gui.exe" "$demo/worker.exe"
# shellcheck disable=SC1003 # tr maps to a lone backslash
windows_demo="Z:$(printf '%s' "$demo" | tr '/' '\\')"
printf '[probe]\r\nStay=60\r\nCaption=Stowlet demo worker\r\n' > "$demo/worker.exe.probe"
sed "s|@DEMO@|$(printf '%s' "$windows_demo" | sed 's/\\/\\\\/g')|g" examples/Stowlet.ini | sed 's/$/\r/' > "$demo/Stowlet.ini"

echo
echo "Stowlet.exe runs with Stowlet.ini beside it and no arguments (as after a double-click):"
start=$(date +%s.%N)
scripts/wine-run "$bin/boxdriver.exe" --timeout 60 -- "$demo/Stowlet.exe" > "$demo/driver.txt"
end=$(date +%s.%N)

today=$(find "$demo/backup" -mindepth 1 -maxdepth 1 -printf '%f\n' 2>/dev/null | sort | head -n 1)
echo
echo "Previous task: copy project\\*.c;*.md with subfolders to backup\\%DATE%"
if [ -n "$today" ]; then
    # shellcheck disable=SC1003 # tr maps to a lone backslash
    (cd "$demo/backup/$today" && find . -type f ! -name '*.report' | sed 's|^\./||' | sort) |
        while read -r f; do printf '  copied to backup\\%s\\%s\n' "$today" "$(printf '%s' "$f" | tr '/' '\\')"; done
else
    echo "  nothing was copied"
fi
echo "  (build.log stayed behind: it matches neither pattern)"

report="$demo/worker.exe.report"
echo
echo "Main task: start worker.exe hidden with a time-out of 3 seconds"
if [ -f "$report" ]; then
    value() { sed -n "s/^$1=//p" "$report" | head -n 1 | tr -d '\r'; }
    printf '  command line:   %s\n' "$(value commandline)"
    printf '  current folder: %s\n' "$(value currentdir)"
    printf '  show state:     %s (0 is hidden)\n' "$(value showwindow)"
    if grep -q '^\[exit\]' "$report"; then
        echo "  the worker ended by itself"
    else
        printf '  still running at the time-out: Stowlet ended it (the whole run took %s s; the worker meant to run 60 s)\n' \
            "$(awk "BEGIN { printf \"%.1f\", $end - $start }")"
    fi
else
    echo "  the worker did not start"
fi
echo
echo "Main task, copy after: the worker's report"
[ -n "$today" ] && [ -f "$demo/backup/$today/worker.exe.report" ] &&
    printf '  copied to backup\\%s\\worker.exe.report\n' "$today"
echo
echo "The run's record (build/demo/run.log, [RUN] LogFile):"
if [ -f "$demo/run.log" ]; then
    # Past its byte-order mark, one line each, without the CR of its line ends.
    sed '1s/^\xEF\xBB\xBF//' "$demo/run.log" | tr -d '\r' | sed 's/^/  /'
else
    echo "  no record was written"
fi
echo
# [RUN] ExitCode=Outcome: the worker ended at its time-out gives 1460 (ERROR_TIMEOUT).
echo "Stowlet's $(tail -n 1 "$demo/driver.txt" | sed 's/^ *//') ([RUN] ExitCode=Outcome: the first step that went wrong,"
echo "  1460 for a program ended at its time-out, 0 when every step went well); the demo's files are in build/demo"
