#!/bin/sh
# Fails when an include runs against the layers of docs/ARCHITECTURE.md
# (each check's message says which rule). Usage: check_layers.sh SOURCE_DIR
cd "$1" || exit 2
status=0
report() {
    if [ -n "$2" ]; then
        printf '%s\n%s\n' "$1" "$2"
        status=1
    fi
}
inc='^[[:space:]]*#[[:space:]]*include[[:space:]]*'
report "Qt included below the desktop:" \
    "$(grep -rnE "$inc<Q" lightcurve plotjob engine cli app/*.h app/*.cpp)"
# Each layer with the folders it must not include (the layers after it).
for rule in "lightcurve:engine|plotjob|app|cli|dialogs" "engine:lightcurve|plotjob|app|cli|dialogs" "plotjob:app|cli|dialogs" \
            "app/*.h app/*.cpp:cli|dialogs|app/forms|app/main" "cli:dialogs|app/forms|app/main"; do
    report "${rule%%:*} includes a later layer:" \
        "$(grep -nE "$inc\"(${rule#*:})/" ${rule%%:*} -r)"
done
report "the program includes an engine-internal header (only engine/Engine.h; the desktop also engine/output/WindowBackend.h):" \
    "$(grep -rnE "$inc\"engine/" plotjob app cli dialogs \
        | grep -vE "\"engine/Engine\.h\"" | grep -vE '^app/forms/[^:]*:[0-9]+:#include "engine/output/WindowBackend\.h"')"
report "a test includes an engine-internal header other than engine/TestSeams.h and the writer headers it tests:" \
    "$(grep -rnE "$inc\"engine/" tests fuzz bench 2>/dev/null \
        | grep -vE "\"engine/(Engine|TestSeams|output/(WindowBackend|PdfWriter|PngWriter|Deflate|Crc32|RasterPage))\.h\"")"
report "engine/core includes a writer-side header (only engine/output/Device.h is allowed):" \
    "$(grep -rnE "$inc\"engine/output/" engine/core | grep -v '"engine/output/Device\.h"')"
report "engine/output includes the engine core (writers get what they need through engine/output/Device.h):" \
    "$(grep -rnE "$inc\"engine/core/" engine/output)"
report "LINK_INTERFACE_MULTIPLICITY (a cycle between libraries) in a CMakeLists.txt:" \
    "$(grep -rn --include=CMakeLists.txt --exclude-dir='build*' LINK_INTERFACE_MULTIPLICITY .)"
exit $status
