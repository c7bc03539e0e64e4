#!/bin/sh
# Fails when a dependency runs against the layers: the engine is toolkit-free
# and its core sees the writers only through the device interface. The
# build must not need to tolerate a cycle between libraries either.
# Usage: check_layers.sh SOURCE_DIR
cd "$1" || exit 2
status=0
report() {
    if [ -n "$2" ]; then
        printf '%s\n%s\n' "$1" "$2"
        status=1
    fi
}
report "Qt included in the engine:" \
    "$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' engine)"
report "engine/core includes a writer-side header (only engine/output/Device.h is allowed):" \
    "$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*/)?output/' engine/core | grep -v '"engine/output/Device\.h"')"
report "LINK_INTERFACE_MULTIPLICITY (a cycle between libraries) in a CMakeLists.txt:" \
    "$(grep -rn --include=CMakeLists.txt --exclude-dir='build*' LINK_INTERFACE_MULTIPLICITY .)"
exit $status
