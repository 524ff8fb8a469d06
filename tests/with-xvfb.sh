#!/bin/sh
# Runs a command with a usable X display: the current DISPLAY when an X
# server answers there, otherwise a private Xvfb, stopped again afterwards.
# Exits with the command's status.
# Usage: tests/with-xvfb.sh COMMAND [ARGUMENTS...]

# A preloaded library (a sanitizer runtime) is meant for the command only, not
# for the X server and the tools used here.
if [ -n "${LD_PRELOAD+set}" ]; then
    preload="$LD_PRELOAD"
    unset LD_PRELOAD
    run() { LD_PRELOAD="$preload" "$@"; }
else
    run() { "$@"; }
fi

if [ -n "$DISPLAY" ] && xdpyinfo >/dev/null 2>&1; then
    run "$@"
    exit
fi

# Xvfb picks a free display number itself and writes it to the file, which
# keeps parallel runs from racing for the same number.
numberfile=$(mktemp)
trap 'rm -f "$numberfile"' EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numberfile" >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -f "$numberfile"' EXIT INT TERM

# The number appears once the server accepts connections; wait at most
# about ten seconds.
tries=0
while ! grep -q '[0-9]' "$numberfile"; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ] || ! kill -0 "$server" 2>/dev/null; then
        echo "with-xvfb: Xvfb did not start" >&2
        exit 1
    fi
    sleep 0.1
done

DISPLAY=":$(tr -d '[:space:]' <"$numberfile")"
export DISPLAY
run "$@"
