#!/usr/bin/env bash
# Runs a command against a throw-away PostgreSQL cluster: made with initdb in a
# temporary directory, served on a free loopback port, stopped and removed however
# the command ends. The command finds the database in VEXA_TEST_DB.
#   usage: with-postgres.sh COMMAND...
set -euo pipefail
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ ! -x "$bin/initdb" ]; then
  echo "with-postgres: PostgreSQL's server programs are not installed (tools/setup.sh)" >&2
  exit 1
fi
dir=$(mktemp -d "${TMPDIR:-/tmp}/vexa-pg.XXXXXX")
as=()
# initdb refuses to run as root; the cluster then belongs to the postgres user.
if [ "$(id -u)" -eq 0 ]; then
  chown postgres "$dir"
  as=(runuser -u postgres --)
fi
cleanup() {
  [ -f "$dir/data/postmaster.pid" ] && "${as[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1
  rm -rf "$dir"
}
trap cleanup EXIT
"${as[@]}" "$bin/initdb" -D "$dir/data" -U vexa --auth=trust -E UTF8 --no-locale >"$dir/initdb.log" 2>&1 \
  || { cat "$dir/initdb.log" >&2; exit 1; }
for attempt in 1 2 3; do
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  if "${as[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 -o "-h 127.0.0.1 -p $port -k $dir" start \
       >/dev/null 2>&1; then
    break
  fi
  [ "$attempt" -eq 3 ] && { cat "$dir/server.log" >&2; exit 1; }
done
export VEXA_TEST_DB="postgresql://vexa@127.0.0.1:$port/postgres"
"$@"
