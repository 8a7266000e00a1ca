#!/usr/bin/env bash
# Runs a command on a private virtual X screen and always takes the screen down afterwards.
#
#   with-xvfb.sh COMMAND [ARGS...]
#
# Xvfb picks a free display number itself (-displayfd), so runs in parallel never collide.
# There is no window manager: the atoms that JUCE only looks up if they already exist are
# interned first, and -noreset keeps them when the last client disconnects.
set -euo pipefail

if [ $# -eq 0 ]; then
    echo "with-xvfb.sh: no command given (usage: with-xvfb.sh COMMAND [ARGS...])" >&2
    exit 2
fi

for tool in Xvfb xprop; do
    command -v "$tool" >/dev/null || { echo "with-xvfb.sh: '$tool' is missing (run scripts/setup.sh)" >&2; exit 2; }
done

workdir="$(mktemp -d "${TMPDIR:-/tmp}/hestrel-xvfb.XXXXXX")"
xvfb_pid=""

cleanup()
{
    if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
        kill "$xvfb_pid" 2>/dev/null || true

        # Bounded: give it two seconds to go, then make it.
        for _ in $(seq 20); do
            kill -0 "$xvfb_pid" 2>/dev/null || break
            sleep 0.1
        done

        kill -9 "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi

    rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp -br \
    3>"$workdir/display" >"$workdir/xvfb.log" 2>&1 &
xvfb_pid=$!

# Xvfb writes its display number once it accepts clients: wait for that, at most ten seconds.
display=""
for _ in $(seq 100); do
    display="$(tr -d '[:space:]' <"$workdir/display" 2>/dev/null || true)"
    [ -n "$display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done

if [ -z "$display" ]; then
    echo "with-xvfb.sh: Xvfb did not start:" >&2
    cat "$workdir/xvfb.log" >&2
    exit 1
fi

export DISPLAY=":$display"

# What a window manager would have created: without these a JUCE window dies with BadAtom.
atoms=(WM_STATE WM_PROTOCOLS WM_TAKE_FOCUS WM_DELETE_WINDOW WM_CHANGE_STATE
       _NET_WM_PING _NET_WM_WINDOW_TYPE _NET_WM_WINDOW_TYPE_NORMAL _NET_WM_WINDOW_TYPE_COMBO
       _NET_WM_STATE _NET_WM_STATE_HIDDEN _NET_WM_STATE_FULLSCREEN _NET_FRAME_EXTENTS
       _NET_WM_ALLOWED_ACTIONS _NET_WM_ACTION_MOVE _NET_WM_ACTION_RESIZE _NET_WM_ACTION_MINIMIZE
       _NET_WM_ACTION_MAXIMIZE_HORZ _NET_WM_ACTION_MAXIMIZE_VERT _NET_WM_ACTION_CLOSE
       _NET_WM_ACTION_FULLSCREEN _NET_WORKAREA _MOTIF_WM_HINTS _WIN_HINTS KWM_WIN_DECORATION
       _KDE_NET_WM_WINDOW_TYPE_OVERRIDE)

# Setting an atom-valued property interns its value; the scratch property goes again afterwards.
for atom in "${atoms[@]}"; do
    xprop -root -f HESTREL_ATOM 32a -set HESTREL_ATOM "$atom"
done
xprop -root -remove HESTREL_ATOM

"$@"
