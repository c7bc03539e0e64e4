#!/usr/bin/env bash
# Makes the Debian packages from the normal build (scripts/package.sh) and
# checks them as a station would get them: unpacked into a temporary root,
# the unpacked program plots an example, the manual page renders, the menu
# entry, metainfo and service pass their validators, lintian finds nothing
# beyond the warnings accepted below, and only the expected paths are in
# the packages.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${QUORVA_BUILD_DIR:-build}"
bash scripts/package.sh >/dev/null
cli=$(ls "$dir"/quorva_*.deb)
debs=("$cli")
# No quorva-desktop from a build without the desktop program.
desktop=$(ls "$dir"/quorva-desktop_*.deb 2>/dev/null || true)
[ -z "$desktop" ] || debs+=("$desktop")
version=$(dpkg-deb -f "$cli" Version)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
root=$tmp/root
status=0
fail() { echo "check-package: $*" >&2; status=1; }

# Contents: only these paths, owned by root, programs 0755, the rest 0644.
allowed='^\./(usr/(bin/quorva|lib/quorva/quorva-desktop|lib/systemd/system/quorva-watch@\.service|lib/sysusers\.d/quorva\.conf|share/(doc/quorva(-desktop)?/[^/]+|doc/quorva/examples/[^/]+|man/man1/quorva\.1\.gz|bash-completion/completions/quorva|applications/quorva\.desktop|icons/hicolor/scalable/apps/quorva\.svg|metainfo/[a-zA-Z.]+\.metainfo\.xml)))$'
dirs='^\./(usr/((bin|lib|share|lib/(quorva|systemd|systemd/system|sysusers\.d)|share/(doc|doc/quorva|doc/quorva-desktop|doc/quorva/examples|man|man/man1|bash-completion|bash-completion/completions|applications|icons|icons/hicolor|icons/hicolor/scalable|icons/hicolor/scalable/apps|metainfo))/)?)?$'
for deb in "${debs[@]}"; do
  while read -r mode owner _ _ _ path _; do
    case $mode in
      d*) [[ $mode == drwxr-xr-x && $path =~ $dirs ]] ||
            fail "$deb: directory $mode $path" ;;
      *) [[ $path =~ $allowed ]] || fail "$deb: unexpected $path"
         want=-rw-r--r--
         [[ $path == ./usr/bin/* || $path == ./usr/lib/quorva/* ]] && want=-rwxr-xr-x
         [[ $mode == "$want" ]] || fail "$deb: $path is $mode, not $want" ;;
    esac
    [[ $owner == root/root ]] || fail "$deb: $path owned by $owner"
  done < <(dpkg-deb -c "$deb")
  dpkg-deb -x "$deb" "$root"
done
if [ -n "$desktop" ]; then
  [[ $(dpkg-deb -f "$desktop" Depends) == *"quorva (= $version)"* ]] || fail "quorva-desktop does not depend on quorva (= $version)"
  desktop-file-validate --no-hints "$root/usr/share/applications/quorva.desktop" || fail "desktop-file-validate"
  appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >"$tmp/as" 2>&1 || fail "appstreamcli: $(cat "$tmp/as")"
fi
# Once the desktop program is its own executable, a station server
# installs the command line without Qt's Gui and Widgets.
if [ -e "$root/usr/lib/quorva/quorva-desktop" ] && [[ $(dpkg-deb -f "$cli" Depends) == *libqt6@(gui|widgets)* ]]; then
  fail "quorva depends on Qt Gui/Widgets: $(dpkg-deb -f "$cli" Depends)"
fi

# The unpacked program.
quorva=$root/usr/bin/quorva
[[ $("$quorva" --version) == "quorva $version" ]] || fail "--version: '$("$quorva" --version)', package $version"
mkdir "$tmp/out"
if out=$(cd "$tmp" && "$quorva" plot --output out "$root/usr/share/doc/quorva/examples/LC20261206_SFU.txt"); then
  pngcheck -q "$tmp/$out" >/dev/null || fail "pngcheck: $(pngcheck "$tmp/$out" 2>&1)"
else
  fail "quorva plot failed"
fi

# The manual page renders without warnings and holds every option of every
# --help (the commands are those the top-level help lists).
page=$root/usr/share/man/man1/quorva.1.gz
warnings=$(MANWIDTH=80 man -l --warnings "$page" 2>&1 >/dev/null) || fail "man -l $page failed"
[ -z "$warnings" ] || fail "man -l: $warnings"
text=$(MANWIDTH=80 man -l "$page" 2>/dev/null | col -b)
helps=$("$quorva" --help)
for c in $(sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p' <<<"$helps"); do
  grep -q "^ *quorva $c\$" <<<"$text" || fail "manual page: no section for 'quorva $c'"
  helps+=$'\n'$("$quorva" "$c" --help)
done
for o in $(grep -o -- '--[a-z][a-z-]*' <<<"$helps" | sort -u); do
  grep -q -- "$o" <<<"$text" || fail "manual page lacks $o"
done

# systemd-analyze checks that ExecStart's program exists: point it at the
# unpacked one.
sed "s#/usr/bin/quorva#$quorva#" "$root/usr/lib/systemd/system/quorva-watch@.service" >"$tmp/quorva-watch@station.service"
systemd-analyze verify --man=no "$tmp/quorva-watch@station.service" || fail "systemd-analyze verify"

# Warnings accepted (see the README's "Installing"):
#   desktop-command-not-in-package: the menu entry runs quorva, which
#     comes from the package quorva (= the same version) it depends on.
accepted=desktop-command-not-in-package
lintian --fail-on error,warning --suppress-tags "$accepted" "${debs[@]}" >"$tmp/lintian" 2>&1 || fail "lintian"
grep -v '^running with root privileges' "$tmp/lintian" >&2 || true

[ "$status" -eq 0 ] && echo "check-package: ${debs[*]} good"
exit "$status"
