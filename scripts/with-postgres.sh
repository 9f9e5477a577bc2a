#!/usr/bin/env bash
# Runs a command with a throwaway PostgreSQL cluster: initdb and pg_ctl from Debian's postgresql package,
# run as the `postgres` user when started by root (the server refuses to run as root), data and socket in
# a temporary folder, stopped and removed when the command ends, whatever its outcome. The command sees
# the connection string in CALENDATT_TEST_PG. Example: scripts/with-postgres.sh ctest --preset default
set -euo pipefail

if [ $# -eq 0 ]; then
  echo "usage: scripts/with-postgres.sh COMMAND [ARGS...]" >&2
  exit 2
fi

bindir=""
if command -v pg_config >/dev/null 2>&1 && [ -x "$(pg_config --bindir)/initdb" ]; then
  bindir="$(pg_config --bindir)"
fi
if [ -z "$bindir" ]; then
  for d in /usr/lib/postgresql/*/bin; do
    [ -x "$d/initdb" ] && bindir="$d"
  done
fi
if [ -z "$bindir" ]; then
  echo "PostgreSQL server programs (initdb, pg_ctl) not found: install the postgresql package" \
       "(scripts/install-deps.sh does)" >&2
  exit 1
fi

as_owner=()
if [ "$(id -u)" -eq 0 ]; then
  if ! id postgres >/dev/null 2>&1; then
    echo "running as root but there is no postgres user to run the server" >&2
    exit 1
  fi
  as_owner=(runuser -u postgres --)
fi

top="$(mktemp -d /tmp/calendatt-pg-XXXXXX)"
chmod 755 "$top"
data="$top/data"
socket="$top/socket"
mkdir -p "$data" "$socket" "$top/log"
[ ${#as_owner[@]} -gt 0 ] && chown -R postgres: "$data" "$socket" "$top/log"
port=$((20000 + RANDOM % 20000))

stop() {
  "${as_owner[@]}" "$bindir/pg_ctl" -D "$data" -m immediate -w stop >/dev/null 2>&1 || true
  rm -rf "$top"
}
trap stop EXIT
trap 'exit 130' INT TERM

"${as_owner[@]}" "$bindir/initdb" -D "$data" -U calendatt --auth=trust -E UTF8 --locale=C.UTF-8 \
  >"$top/log/initdb.log" 2>&1 || { cat "$top/log/initdb.log" >&2; exit 1; }
# A scratch cluster: durability is not what the tests look at, unless CALENDATT_PG_DURABLE is set (the
# benchmark measures a server that waits for the disk at each commit, as SQLite's synchronous=FULL does).
settings="-k $socket -p $port -c listen_addresses='' -c max_connections=200"
if [ -z "${CALENDATT_PG_DURABLE:-}" ]; then
  settings="$settings -c fsync=off -c synchronous_commit=off -c full_page_writes=off"
fi
"${as_owner[@]}" "$bindir/pg_ctl" -D "$data" -l "$top/log/server.log" -w -t 60 -o "$settings" start >/dev/null ||
  { cat "$top/log/server.log" >&2; exit 1; }

export CALENDATT_TEST_PG="postgresql://calendatt@/postgres?host=$socket&port=$port"
# The server's log, for the benchmark that replays the statements it received.
export CALENDATT_TEST_PG_LOG="$top/log/server.log"
echo "$("$bindir/postgres" --version) running for the tests: $CALENDATT_TEST_PG"
"$@"
