#!/bin/sh
# Checks the PE file ombrel-ui.dll as the JVM and a bare Windows see it: the
# fifteen JNI functions as its only exports, imports from KERNEL32, GDI32 and
# USER32 only (no C or C++ runtime DLL), and no DLL entry routine.
# Usage: check-dll.sh path/to/ombrel-ui.dll
set -eu
dll=$1
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
dump=$(mktemp)
trap 'rm -f "$dump" "$dump".*' EXIT
"$objdump" -p "$dll" >"$dump"
status=0

fail() {
    echo "check-dll: $*"
    status=1
}

methods="attach background clientSize close contextInfo createTexture deleteTexture glError open
protocolVersion readPixels rendererString submit swap upload"
for m in $methods; do echo "Java_marlith_sdk_ui_render_NativeGpu_$m"; done | sort >"$dump.expected"
sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' "$dump" |
    sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | sort >"$dump.exports"
diff "$dump.exports" "$dump.expected" >"$dump.diff" ||
    fail "export table differs from the fifteen JNI functions (< found, > expected):
$(cat "$dump.diff")"

imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' "$dump" | sort | tr '\n' ' ')
[ "$imports" = "GDI32.dll KERNEL32.dll USER32.dll " ] || fail "imports from: $imports"

entry=$(sed -n 's/^AddressOfEntryPoint[[:space:]]*//p' "$dump")
[ "$((0x$entry))" -eq 0 ] || fail "AddressOfEntryPoint is $entry, not 0"

[ $status -eq 0 ] && echo "check-dll: $dll: 15 JNI exports, imports $imports, no entry point"
exit $status
