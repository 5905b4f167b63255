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
    failed=0
    for file in $files; do
        if ! "$tool" --dry-run --Werror "$file" >/dev/null 2>&1; then
            echo "format: $file differs from .clang-format (scripts/format.sh apply)"
            failed=1
        fi
    done
    exit "$failed"
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
