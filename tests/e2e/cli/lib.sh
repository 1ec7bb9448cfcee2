# What the console scripts share; each sources it after its usage line:
#   root (the source folder, first argument; the rest is the command that runs
#   vexa-cli), fail, a scratch folder $work removed at exit, $wine (1 when the
#   command runs vexa-cli.exe under Wine) and arg, which turns a path into the form
#   the program takes.
set -uo pipefail
root=$1
shift
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
wine=0
[[ "$*" == *wine-run.sh* ]] && wine=1
arg() { if [ "$wine" = 1 ]; then winepath -w "$1" 2>/dev/null; else printf '%s' "$1"; fi; }
