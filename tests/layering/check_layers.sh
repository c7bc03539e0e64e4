#!/bin/sh
# Fails when a dependency runs against the layers (docs/ARCHITECTURE.md):
# lightcurve -> plotjob -> engine -> app -> cli and the desktop. Everything
# but the desktop is toolkit-free, the engine's core sees the writers only
# through the device interface, and the build need not tolerate a cycle
# between libraries.
# Usage: check_layers.sh SOURCE_DIR
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
for rule in "lightcurve:plotjob|engine|app|cli|dialogs" "plotjob:app|cli|dialogs" "engine:lightcurve|plotjob|app|cli|dialogs" \
            "app/*.h app/*.cpp:cli|dialogs|app/forms|app/main" "cli:dialogs|app/forms|app/main"; do
    report "${rule%%:*} includes a later layer:" \
        "$(grep -nE "$inc\"(${rule#*:})/" ${rule%%:*} -r)"
done
report "engine/core includes a writer-side header (only engine/output/Device.h is allowed):" \
    "$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*/)?output/' engine/core | grep -v '"engine/output/Device\.h"')"
report "LINK_INTERFACE_MULTIPLICITY (a cycle between libraries) in a CMakeLists.txt:" \
    "$(grep -rn --include=CMakeLists.txt --exclude-dir='build*' LINK_INTERFACE_MULTIPLICITY .)"
exit $status
