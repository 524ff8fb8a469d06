#!/bin/sh
# Runs a JVM command line and fails when -Xcheck:jni reported a fault, even if
# the command itself succeeded. The JVM prints each report on stdout as
# "WARNING in native method: ..." (or "FATAL ERROR in native method: ..."),
# followed by the Java stack whose first frame is the native method at fault.
# Three sources outside this project report faults of their own and are let
# through: JOGL 2.3.2's GLX bindings (package jogamp.), OpenJDK 17's FreeType
# glyph scaler (package sun.font.), which Java2D text rendering reaches, and
# OpenJDK 17's X11 toolkit thread (package sun.awt.), whose event loop calls
# back into Java without an exception check. Every other report fails the run.
# Usage: tests/window/jni-checked.sh JAVA [ARGUMENTS...]
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$@" >"$log" 2>&1
status=$?
cat "$log"
[ "$status" -eq 0 ] || exit "$status"
awk '
    pending {
        if (!($1 == "at" && $2 ~ /^(jogamp|sun\.font|sun\.awt)\./)) {
            frame = $0
            sub(/^[ \t]+/, "", frame)
            print "jni-checked: " report " -- " ($1 == "at" ? frame : "no Java frame")
            bad = 1
        }
        pending = 0
    }
    /(WARNING|FATAL ERROR) in native method/ { report = $0; pending = 1 }
    END { if (pending) { print "jni-checked: " report; bad = 1 } exit bad }
' "$log"
