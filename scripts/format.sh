#!/bin/sh
# The house style of the C++ sources (.clang-format). "check" lists every tracked source that
# differs from it and fails; "apply" reformats them in place.
set -eu
cd "$(dirname "$0")/.."
mode=${1:-check}
tool=${CLANG_FORMAT:-clang-format-14}
command -v "$tool" >/dev/null || { echo "format: $tool is missing (scripts/bootstrap.sh installs it)" >&2; exit 2; }
# Tracked files only: build output and scratch files are none of the style's business.
files=$(git ls-files '*.cpp' '*.h' '*.c')
case "$mode" in
check)
    # One run over every file; each that differs is named once.
    # shellcheck disable=SC2086 # tracked paths hold no blanks
    differing=$("$tool" --dry-run $files 2>&1 | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: warning: code should be clang-formatted.*/\1/p' | sort -u)
    [ -z "$differing" ] && exit 0
    # shellcheck disable=SC2086 # one line per path
    printf 'format: %s differs from .clang-format (scripts/format.sh apply)\n' $differing
    exit 1
    ;;
apply)
    # shellcheck disable=SC2086 # tracked paths hold no blanks
    "$tool" -i $files
    ;;
*)
    echo "usage: scripts/format.sh [check|apply]" >&2
    exit 2
    ;;
esac
