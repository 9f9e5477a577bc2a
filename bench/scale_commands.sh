#!/usr/bin/env bash
# The commands a planner runs, on the demo file and on a file the size of a large company group, side by
# side: 20,000 nodes, 200,000 activities in 10 companies and 2,000,000 days (ten days an activity), with no
# statistics (nothing runs ANALYZE on a user's file, and those the program's own `PRAGMA optimize` leaves
# are dropped before each run). Each command works on the demo's PRJ001 / N01 / ATT01 of company 1, which
# both files hold (the list is of the first day the demo plans); on the large file every other company, node and activity only adds rows around it.
#
#   bench/scale_commands.sh [BUILD_DIR] [RUNS]      (default build/default, 3 runs)
#   CALENDATT_BENCH_ENGINE=postgres bench/scale_commands.sh ...   (the same two databases on a throwaway
#       PostgreSQL server, scripts/with-postgres.sh; the server gathers its statistics by itself)
#
# The last line is the desktop's window opened offscreen on the same activity (called mode), from the start
# of the program until it shows its rows (CALENDATT_OPEN_AND_CLOSE).
#
# Prints, per command, the mean wall seconds of RUNS runs on each file and their ratio (large / demo).
set -euo pipefail
cd "$(dirname "$0")/.."

engine="${CALENDATT_BENCH_ENGINE:-sqlite}"
if [ "$engine" = postgres ] && [ -z "${CALENDATT_TEST_PG:-}" ]; then
  exec scripts/with-postgres.sh bench/scale_commands.sh "$@"
fi

build="${1:-build/default}"
runs="${2:-3}"
cli="$(realpath "$build/calendatt")"
desktop="$(realpath "$build/calendatt-desktop")"
[ -x "$cli" ] && [ -x "$desktop" ] || { echo "build the calendatt and calendatt-desktop targets first" >&2; exit 1; }
command -v sqlite3 >/dev/null || { echo "the sqlite3 shell is needed" >&2; exit 1; }

work="$(mktemp -d /tmp/calendatt-scale-XXXXXX)"
trap 'rm -rf "$work"' EXIT
demo="$work/demo.db"
large="$work/large.db"

if [ "$engine" = postgres ]; then
  admin="$CALENDATT_TEST_PG"
  demo="${admin/\/postgres\?//calendatt_scale_demo?}"
  large="${admin/\/postgres\?//calendatt_scale_large?}"
  sql() { psql -X -q -v ON_ERROR_STOP=1 "$@"; }
  for name in calendatt_scale_demo calendatt_scale_large; do
    sql "$admin" -c "DROP DATABASE IF EXISTS $name" -c "CREATE DATABASE $name"
  done
  "$cli" init --db "$demo" --demo >/dev/null
  "$cli" init --db "$large" --demo >/dev/null
  sql "$large" <<'SQL'
INSERT INTO PD0G_DISBAPROG (PD0G_IDDISBAPROG, PD0G_DITTA_CG18, PD0G_CODPROG_PD68, PD0G_CODNODO_PD0C)
  SELECT 100000 + i, 1 + i % 10, 'P' || (i / 10 % 50), 'N' || (i / 10) FROM generate_series(0, 19999) i;
INSERT INTO PD0H_LEGDISBAPROG (PD0H_IDLEGAME, PD0H_IDDISBAPROG_PD0G, PD0H_CODATTIVITA_PD0D, PD0H_DATAINIZPIAN,
                               PD0H_DATAFINPIAN)
  SELECT 1000000 + i, 100000 + i / 10, 'A' || (i % 10), '2020-01-01', '2020-12-31' FROM generate_series(0, 199999) i;
INSERT INTO PD68_PROGETTI (PD68_DITTA_CG18, PD68_CODPROG, PD68_DESCRIZIONE)
  SELECT DISTINCT PD0G_DITTA_CG18, PD0G_CODPROG_PD68, 'Progetto ' || PD0G_CODPROG_PD68 FROM PD0G_DISBAPROG
  WHERE PD0G_IDDISBAPROG >= 100000;
INSERT INTO PD0C_NODI (PD0C_DITTA_CG18, PD0C_CODNODO, PD0C_DESCRIZIONE)
  SELECT DISTINCT PD0G_DITTA_CG18, PD0G_CODNODO_PD0C, 'Nodo ' || PD0G_CODNODO_PD0C FROM PD0G_DISBAPROG
  WHERE PD0G_IDDISBAPROG >= 100000;
INSERT INTO PD0D_ATTIVITA (PD0D_DITTA_CG18, PD0D_CODATTIVITA, PD0D_DESCRIZIONE)
  SELECT c, 'A' || a, 'Attivita ' || a FROM generate_series(1, 10) c, generate_series(0, 9) a WHERE NOT EXISTS
    (SELECT 1 FROM PD0D_ATTIVITA WHERE PD0D_DITTA_CG18 = c AND PD0D_CODATTIVITA = 'A' || a);
INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, PD4G_DATAATTIVITA,
                            PD4G_ANNOATTIVITA, PD4G_MESEATTIVITA, PD4G_GGATTIVITA, PD4G_ORAINIZIO,
                            PD4G_MININIZIO, PD4G_ORAFINE, PD4G_MINFINE, PD4G_DURATAORE, PD4G_DURATAMINUTI)
  SELECT 1 + (i / 10) % 10, 100000 + i / 10, 1000000 + i, d, extract(year FROM d), extract(month FROM d),
         extract(day FROM d), 0, 0, 8, 0, 8, 0
  FROM generate_series(0, 199999) i, generate_series(0, 9) j,
       LATERAL (SELECT date '2020-01-01' + (i * 7 + j) % 365 AS d) day;
SQL
  for db in "$demo" "$large"; do
    sql "$db" -c "UPDATE PD0H_LEGDISBAPROG SET PD0H_DATAINIZPIAN = '2026-01-01', PD0H_DATAFINPIAN = '2030-12-31'
                  WHERE PD0H_IDLEGAME = 1001"
  done
  listed=$(sql "$demo" -At -c "SELECT MIN(PD4G_DATAATTIVITA) FROM PD4G_CALENDATT")
  run_sql() { sql "$1" -c "$2"; }
  no_statistics() { :; }
else
  "$cli" init --db "$demo" --demo >/dev/null
  "$cli" init --db "$large" --demo >/dev/null
  # Companies 1..10 (2,000 nodes and 20,000 activities each); ids far above the demo's.
  sqlite3 "$large" <<'SQL'
  PRAGMA journal_mode=WAL;
  BEGIN;
  WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 19999)
  INSERT INTO PD0G_DISBAPROG (PD0G_IDDISBAPROG, PD0G_DITTA_CG18, PD0G_CODPROG_PD68, PD0G_CODNODO_PD0C)
    SELECT 100000 + i, 1 + i % 10, 'P' || (i / 10 % 50), 'N' || (i / 10) FROM n;
  WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 199999)
  INSERT INTO PD0H_LEGDISBAPROG (PD0H_IDLEGAME, PD0H_IDDISBAPROG_PD0G, PD0H_CODATTIVITA_PD0D, PD0H_DATAINIZPIAN,
                                 PD0H_DATAFINPIAN)
    SELECT 1000000 + i, 100000 + i / 10, 'A' || (i % 10), '2020-01-01', '2020-12-31' FROM n;
  INSERT INTO PD68_PROGETTI (PD68_DITTA_CG18, PD68_CODPROG, PD68_DESCRIZIONE)
    SELECT DISTINCT PD0G_DITTA_CG18, PD0G_CODPROG_PD68, 'Progetto ' || PD0G_CODPROG_PD68 FROM PD0G_DISBAPROG
    WHERE PD0G_IDDISBAPROG >= 100000;
  INSERT INTO PD0C_NODI (PD0C_DITTA_CG18, PD0C_CODNODO, PD0C_DESCRIZIONE)
    SELECT DISTINCT PD0G_DITTA_CG18, PD0G_CODNODO_PD0C, 'Nodo ' || PD0G_CODNODO_PD0C FROM PD0G_DISBAPROG
    WHERE PD0G_IDDISBAPROG >= 100000;
  INSERT INTO PD0D_ATTIVITA (PD0D_DITTA_CG18, PD0D_CODATTIVITA, PD0D_DESCRIZIONE)
    WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 10),
                   a(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM a WHERE i < 9)
    SELECT c.i, 'A' || a.i, 'Attivita ' || a.i FROM c, a WHERE NOT EXISTS
      (SELECT 1 FROM PD0D_ATTIVITA WHERE PD0D_DITTA_CG18 = c.i AND PD0D_CODATTIVITA = 'A' || a.i);
  -- Ten days an activity, each activity's days starting on its own day of 2020.
  WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 199999),
    k(j) AS (SELECT 0 UNION ALL SELECT j + 1 FROM k WHERE j < 9),
    d(i, j, day) AS (SELECT i, j, date('2020-01-01', '+' || ((i * 7 + j) % 365) || ' days') FROM n, k)
  INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, PD4G_DATAATTIVITA,
                              PD4G_ANNOATTIVITA, PD4G_MESEATTIVITA, PD4G_GGATTIVITA, PD4G_ORAINIZIO,
                              PD4G_MININIZIO, PD4G_ORAFINE, PD4G_MINFINE, PD4G_DURATAORE, PD4G_DURATAMINUTI)
    SELECT 1 + (i / 10) % 10, 100000 + i / 10, 1000000 + i, day, CAST(strftime('%Y', day) AS INTEGER),
           CAST(strftime('%m', day) AS INTEGER), CAST(strftime('%d', day) AS INTEGER), 0, 0, 8, 0, 8, 0
    FROM d;
  COMMIT;
SQL

  # The demo's activity is planned around the day it was made; here it is planned over 2026 to 2030, so
  # that the commands' dates are the same on every day the benchmark runs.
  for db in "$demo" "$large"; do
    sqlite3 "$db" "UPDATE PD0H_LEGDISBAPROG SET PD0H_DATAINIZPIAN = '2026-01-01', PD0H_DATAFINPIAN = '2030-12-31'
                   WHERE PD0H_IDLEGAME = 1001"
  done
  listed=$(sqlite3 "$demo" "SELECT MIN(PD4G_DATAATTIVITA) FROM PD4G_CALENDATT")
  run_sql() { sqlite3 "$1" "$2"; }
  no_statistics() { sqlite3 "$1" "DROP TABLE IF EXISTS sqlite_stat1; DROP TABLE IF EXISTS sqlite_stat4"; }
fi

codes=(--project PRJ001 --node N01 --activity ATT01)
# name | command (the file is appended as --db); each run leaves the file as it found it through its reset.
commands=(
  "list|list --day $listed --format csv"
  "add-day|add-day ${codes[*]} --day 2027-06-01 --hours 4 --yes"
  "set-day|set-day ${codes[*]} --day 2027-06-01 --hours 5 --yes"
  "add-range 13|add-range ${codes[*]} --from 2027-07-01 --to 2027-07-13 --every 1 --hours 2 --yes"
  "add-range 365|add-range ${codes[*]} --from 2028-01-01 --to 2028-12-30 --every 1 --hours 2 --yes"
  "delete-range 365|delete-range ${codes[*]} --from 2028-01-01 --to 2028-12-30 --every 1 --yes"
  "days|days ${codes[*]} --format csv"
  "export-ics|export-ics ${codes[*]}"
  "desktop opens|@desktop --called ${codes[*]}"
)
reset="DELETE FROM PD4G_CALENDATT WHERE PD4G_DATAATTIVITA >= '2027-01-01' AND PD4G_IDLEGAME_PD0H < 1000000"

time_of() {  # db, command...: wall seconds
  no_statistics "$1"
  local db=$1
  shift
  local t0 t1
  t0=$(date +%s.%N)
  if [ "$1" = @desktop ]; then
    # The desktop's window, offscreen, from the start of the program until it shows its rows.
    shift
    QT_QPA_PLATFORM=offscreen CALENDATT_OPEN_AND_CLOSE=1 "$desktop" "$@" --db "$db" --settings "$work/desktop.ini" \
      >/dev/null 2>"$work/stderr" || { cat "$work/stderr" >&2; return 1; }
  else
    "$cli" "$@" --db "$db" >/dev/null 2>"$work/stderr" || { cat "$work/stderr" >&2; return 1; }
  fi
  t1=$(date +%s.%N)
  echo "$t1 - $t0" | bc -l
}

declare -A sum
printf '%-16s | %8s | %8s | %s\n' command demo large ratio
for ((r = 0; r < runs; r++)); do
  for db in "$demo" "$large"; do
    run_sql "$db" "$reset"
    for entry in "${commands[@]}"; do
      name=${entry%%|*}
      read -ra args <<<"${entry#*|}"
      t=$(time_of "$db" "${args[@]}")
      sum["$name|$db"]=$(echo "${sum["$name|$db"]:-0} + $t" | bc -l)
    done
  done
done
for entry in "${commands[@]}"; do
  name=${entry%%|*}
  d=$(echo "${sum["$name|$demo"]} / $runs" | bc -l)
  l=$(echo "${sum["$name|$large"]} / $runs" | bc -l)
  printf '%-16s | %8.3f | %8.3f | %.2f\n' "$name" "$d" "$l" "$(echo "$l / $d" | bc -l)"
done
