#!/bin/sh
# Installs what building and testing need on Debian 12 (amd64, root). Idempotent: a quick no-op
# when everything is present. 32-bit Windows programs run under Debian's wine32:i386, which this
# kernel can only execute through qemu-i386 user-mode emulation registered with binfmt_misc.
set -eu

export DEBIAN_FRONTEND=noninteractive
APT="apt-get -o DPkg::Lock::Timeout=1800 -y --no-install-recommends"
WRAP=/usr/local/libexec/qemu-i386-binfmt
BINFMT_DIR=/proc/sys/fs/binfmt_misc
# i386 ELF (ET_EXEC or ET_DYN, EM_386), the magic and mask qemu itself registers
RULE=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/local/libexec/qemu-i386-binfmt:PF'

# fonts-wine holds Wine's Marlett, which draws the caption buttons (a close box is an "r"
# without it; scripts/screenshots.sh puts it in the prefix); apt lists it only as a
# recommendation, which --no-install-recommends skips.
# python3-pymdownx: the guide's code blocks inside list items (superfences).
PACKAGES="cmake ninja-build g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
 binutils-mingw-w64-x86-64 googletest wine wine64 fonts-wine xvfb xauth x11-utils clang libclang-rt-14-dev
 llvm python3 python3-markdown python3-pymdownx zip unzip gcc libc6-dev clang-format-14 shellcheck"

log() { echo "bootstrap: $*"; }
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

[ "$(id -u)" = 0 ] || { echo "bootstrap: run as root (it installs packages with apt)" >&2; exit 1; }

updated=0
apt_update() { [ "$updated" = 1 ] || { log "apt-get update"; $APT update >/dev/null; updated=1; }; }

missing=""
for p in $PACKAGES; do installed "$p" || missing="$missing $p"; done
if [ -n "$missing" ]; then
    apt_update
    log "installing$missing"
    # shellcheck disable=SC2086 # one word per package
    $APT install $missing >/dev/null
fi

# --- binfmt_misc and qemu-i386 for the 32-bit Wine loader -----------------------------------------
[ -e "$BINFMT_DIR/register" ] || mount -t binfmt_misc binfmt_misc "$BINFMT_DIR"
[ "$(cat "$BINFMT_DIR/status")" = enabled ] || echo 1 > "$BINFMT_DIR/status"

# bookworm's qemu 7.2 crashes 32-bit processes with concurrent threads; backports has 10.x
if ! cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null \
        | grep -qs '^[^#]*bookworm-backports'; then
    uri=$(sed -n 's/^URIs:[[:space:]]*//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
    [ -n "$uri" ] || uri=$(awk '$1=="deb" && $3=="bookworm" {print $2; exit}' /etc/apt/sources.list 2>/dev/null)
    [ -n "$uri" ] || { echo "bootstrap: no Debian mirror in the apt sources" >&2; exit 1; }
    log "adding bookworm-backports"
    printf 'Types: deb\nURIs: %s\nSuites: bookworm-backports\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        "$uri" > /etc/apt/sources.list.d/bookworm-backports.sources
    updated=0
fi
v=$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null || true)
if ! installed qemu-user || ! dpkg --compare-versions "$v" ge 1:8; then
    apt_update
    log "installing qemu-user from bookworm-backports"
    $APT install -t bookworm-backports qemu-user qemu-user-static qemu-user-binfmt >/dev/null
fi

# a tiny static interpreter: binfmt flags PF hand it {self, binary, argv0, args...}
if [ ! -x "$WRAP" ]; then
    tmp=$(mktemp -d)
    cat > "$tmp/w.c" <<'C'
#include <stdlib.h>
#include <unistd.h>
#include <stdio.h>
int main(int argc, char **argv)
{
    char **a;
    int i, n = 0;
    if (argc < 3) return 127;
    a = malloc((argc + 4) * sizeof *a);
    if (!a) return 127;
    a[n++] = "/usr/bin/qemu-i386-static";
    a[n++] = "-0"; a[n++] = argv[2]; a[n++] = argv[1];
    for (i = 3; i < argc; i++) a[n++] = argv[i];
    a[n] = NULL;
    execv(a[0], a);
    perror("qemu-i386-binfmt");
    return 127;
}
C
    gcc -static -Os -s -o "$tmp/w" "$tmp/w.c"
    mkdir -p "$(dirname "$WRAP")"
    install -m 755 "$tmp/w" "$WRAP"
    rm -rf "$tmp"
fi
mkdir -p /etc/binfmt.d
printf '%s\n' "$RULE" > /etc/binfmt.d/qemu-i386.conf
entry="$BINFMT_DIR/qemu-i386"
if ! { [ -e "$entry" ] && grep -qx "interpreter $WRAP" "$entry" && grep -qx 'flags: PF' "$entry"; }; then
    [ -e "$entry" ] && echo -1 > "$entry"
    log "registering binfmt_misc entry qemu-i386"
    printf '%s' "$RULE" > "$BINFMT_DIR/register"
fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    log "adding the i386 architecture"
    dpkg --add-architecture i386
    updated=0
fi
if ! installed wine32:i386; then
    apt_update
    log "installing wine32:i386"
    $APT install wine32:i386 >/dev/null
fi
log "ready"
