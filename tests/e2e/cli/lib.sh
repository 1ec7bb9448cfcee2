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
if [ "$wine" = 1 ]; then
  # Debian's own winepath takes the 32-bit loader, which some kernels cannot start:
  # the program's own width puts a winepath that can run first on PATH.
  for program; do
    [[ "$program" == *.exe ]] || continue
    source "$root/tools/wine-env.sh" "$program" || fail "Wine cannot run $program"
    break
  done
fi
arg() {
  if [ "$wine" = 1 ]; then
    local path
    path=$(winepath -w "$1" 2>/dev/null)
    [ -n "$path" ] || fail "winepath cannot name $1"
    printf '%s' "$path"
  else
    printf '%s' "$1"
  fi
}
