#!/bin/sh
# Writes the manual page of quorva from its own --help texts, so the page
# cannot drift from the program:
#   manpage.sh QUORVA INCLUDE OUTPUT
# help2man turns the top-level help into the page; every command listed
# under "Commands:" adds its own help as a subsection of COMMANDS. The
# sections no help text holds come from INCLUDE.
set -eu

if [ "${1:-}" = --help-of ]; then
    # help2man runs this as the program: the top-level help, then each
    # command's help with its usage line as the subsection heading.
    bin=$2
    case "$3" in
    --version) exec "$bin" --version ;;
    esac
    "$bin" --help
    commands=$("$bin" --help | sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p')
    [ -n "$commands" ] || { echo "manpage.sh: no commands in '$bin --help'" >&2; exit 1; }
    echo
    echo "*Commands*"
    for c in $commands; do
        "$bin" "$c" --help >"$tmp/help" || { echo "manpage.sh: '$bin $c --help' failed" >&2; exit 1; }
        # "Options:" would start the page's OPTIONS section; the indented
        # usage line after "quorva CMD:" makes that line a subsection.
        sed -e "0,/^[Uu]sage: /s/^[Uu]sage: \(.*\)\$/quorva $c:\n \1/" -e '/^[Oo]ptions:$/d' "$tmp/help"
        echo
    done
    exit 0
fi

[ $# -eq 3 ] || { echo "usage: manpage.sh QUORVA INCLUDE OUTPUT" >&2; exit 64; }
bin=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export tmp
# help2man names the page after the program it runs.
cat >"$tmp/quorva" <<WRAPPER
#!/bin/sh
exec sh '$(cd "$(dirname "$0")" && pwd)/$(basename "$0")' --help-of '$bin' "\$@"
WRAPPER
chmod +x "$tmp/quorva"
help2man --no-info --section=1 --manual="User Commands" \
    --name="plot the light curves of a solar radio spectrometer" \
    --include="$2" --output="$tmp/page" "$tmp/quorva"
# Headings without their colon; the help of the top level tells the user
# to run --help, which the page now holds. help2man sets a one-line usage
# as an indented paragraph (.IP) and a longer one as a tagged paragraph
# (.TP): every synopsis is set the second way, at the same indentation.
sed -e 's/^\.SS "\(quorva [a-z-]*\):"$/.SS "\1"/' \
    -e '/^\.SS "quorva [a-z-]*:*"$/{n;s/^\.IP$/.TP/}' "$tmp/page" >"$3"
