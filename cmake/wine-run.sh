#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, with the Japanese code page 932
# and a Wine prefix of the build's own so that no state leaks in from the user's.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/../build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LC_ALL=${VEXAFRAME_WINE_LOCALE:-ja_JP.UTF-8}
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
# Without Wine's preloader (Debian ships none) a process now and then fails to start when
# address space randomisation puts something where Wine's fixed areas go ("failed to map the
# shared user data"). A fixed layout starts the same way every time; the programs Wine starts
# inherit it.
if setarch "$(uname -m)" --addr-no-randomize true 2>/dev/null; then
    exec setarch "$(uname -m)" --addr-no-randomize "$wine" "$@"
fi
exec "$wine" "$@"
