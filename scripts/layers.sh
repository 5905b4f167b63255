#!/bin/sh
# Checks that product includes point down the layer table of docs/architecture.md: a source
# may include its own folder and folders of lower layers, never a folder of its own layer or
# above. Lists every include that climbs and fails when there is one.
set -eu
cd "$(dirname "$0")/.."
table=docs/architecture.md
# "| 2 | `settings/`, `filecopy/` | ..." gives "settings 2" and "filecopy 2".
ranks=$(awk -F'|' '/^## Layers/ { on = 1; next } /^## / { on = 0 }
    on && $2 ~ /^ *[0-9]+ *$/ {
        n = split($3, parts, "`")
        for (i = 2; i <= n; i += 2) { f = parts[i]; sub(/\/$/, "", f); print f, $2 + 0 }
    }' "$table")
[ -n "$ranks" ] || { echo "layers: no layer table under '## Layers' in $table" >&2; exit 2; }
rank_of() { printf '%s\n' "$ranks" | awk -v f="$1" '$1 == f { print $2 }'; }

failed=0
for folder in $(printf '%s\n' "$ranks" | awk '{ print $1 }'); do
    own=$(rank_of "$folder")
    for file in $(git ls-files "$folder/*.cpp" "$folder/*.h" "$folder/*.c"); do
        # shellcheck disable=SC2013 # folder names are single words
        # The folder part of each quoted include: '#include "settings/macros.h"' gives settings.
        for used in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^/"]*\)\/.*/\1/p' "$file" | sort -u); do
            [ "$used" = "$folder" ] && continue
            rank=$(rank_of "$used")
            if [ -z "$rank" ]; then
                echo "layers: $file includes $used/, which has no layer in $table"
                failed=1
            elif [ "$rank" -ge "$own" ]; then
                echo "layers: $file (layer $own) includes $used/ (layer $rank)"
                failed=1
            fi
        done
    done
done
exit "$failed"
