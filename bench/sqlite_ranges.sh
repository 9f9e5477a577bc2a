#!/usr/bin/env bash
# The range commands and the window's listing on a SQLite file holding a million other calendar days, as
# whole runs of the program: `calendatt add-range` of 32767 days, `calendatt delete-range` of the same
# days, and `calendatt list` of one day of 5000 rows. The file has no statistics: nothing runs ANALYZE on a
# user's file, and those the program's own `PRAGMA optimize` leaves are dropped before each measured run.
# Each range command is set against the very statements the program ran (written out by the engine,
# CALENDATT_SQL_TRACE, with the values of their parameters in place) replayed in the same run by the
# `sqlite3` shell on the same file and settings (WAL journal, synchronous NORMAL, keys enforced): once one
# autocommitted statement at a time, as the program commits them, once in a single transaction.
# For the generation a fourth figure gives the limit of the work: the two statements of a day prepared
# once and run with the day bound, in one transaction (Python's sqlite3). The listing is set against the
# raw join of the same columns by the shell, written as CSV.
#
#   bench/sqlite_ranges.sh [BUILD_DIR] [RUNS]      (default build/default, 3 runs)
#   CALENDATT_BENCH_NO_JOURNAL=1 bench/sqlite_ranges.sh ...   (the file without the journal's triggers)
#
# Prints, per run and operation, wall seconds, user CPU seconds and peak memory (KiB) of each process, and
# the ratio of the program's wall time to the shell autocommitted (to the raw join for the listing).
# The listing and its join are each the mean of 20 runs.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build/default}"
runs="${2:-3}"
cli="$(realpath "$build/calendatt")"
[ -x "$cli" ] || { echo "no $cli: build the calendatt target first" >&2; exit 1; }
command -v sqlite3 >/dev/null || { echo "the sqlite3 shell is needed" >&2; exit 1; }

work="$(mktemp -d /tmp/calendatt-bench-XXXXXX)"
trap 'rm -rf "$work"' EXIT
db="$work/million.db"

"$cli" init --db "$db" --demo >/dev/null
# A million other days of company 1: 5000 links on 500 nodes, 200 consecutive days each (5000 rows a day).
sqlite3 "$db" <<'SQL'
BEGIN;
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 4999)
INSERT INTO PD0G_DISBAPROG (PD0G_IDDISBAPROG, PD0G_DITTA_CG18, PD0G_CODPROG_PD68, PD0G_CODNODO_PD0C)
  SELECT 3000 + i, 1, 'PRJBIG', 'B' || i FROM n WHERE i < 500;
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 4999)
INSERT INTO PD0H_LEGDISBAPROG (PD0H_IDLEGAME, PD0H_IDDISBAPROG_PD0G, PD0H_CODATTIVITA_PD0D, PD0H_DATAINIZPIAN,
                               PD0H_DATAFINPIAN)
  SELECT 5000 + i, 3000 + i / 10, 'A' || i, '2000-01-01', '2003-12-31' FROM n;
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 4999),
  m(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM m WHERE i < 199),
  days(d) AS (SELECT date('2000-01-01', '+' || i || ' days') FROM m)
INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, PD4G_DATAATTIVITA,
                            PD4G_ANNOATTIVITA, PD4G_MESEATTIVITA, PD4G_GGATTIVITA, PD4G_ORAINIZIO,
                            PD4G_MININIZIO, PD4G_ORAFINE, PD4G_MINFINE, PD4G_DURATAORE, PD4G_DURATAMINUTI)
  SELECT 1, 3000 + l.i / 10, 5000 + l.i, d, CAST(strftime('%Y', d) AS INTEGER), CAST(strftime('%m', d) AS INTEGER),
         CAST(strftime('%d', d) AS INTEGER), 0, 0, 8, 0, 8, 0
  FROM n AS l, days;
-- The measured activity, planned over a century on PRJ002 / M01.
INSERT INTO PD0D_ATTIVITA (PD0D_DITTA_CG18, PD0D_CODATTIVITA, PD0D_DESCRIZIONE) VALUES (1, 'BENCH', 'Misura');
INSERT INTO PD0H_LEGDISBAPROG (PD0H_IDLEGAME, PD0H_IDDISBAPROG_PD0G, PD0H_CODATTIVITA_PD0D, PD0H_DATAINIZPIAN,
                               PD0H_DATAFINPIAN) VALUES (1100, 201, 'BENCH', '1950-01-01', '2049-12-31');
COMMIT;
SQL

# CALENDATT_BENCH_NO_JOURNAL=1: the same without the journal's triggers, to show what the journal costs.
if [ -n "${CALENDATT_BENCH_NO_JOURNAL:-}" ]; then
  sqlite3 "$db" "DROP TRIGGER TR_PD4G_GIORNALE_I; DROP TRIGGER TR_PD4G_GIORNALE_U; DROP TRIGGER TR_PD4G_GIORNALE_D;"
fi

measure() {  # command...: prints "wall user peak_kib" of the command
  /usr/bin/time -f "%e %U %M" -o "$work/time" "${@}" >/dev/null 2>"$work/stderr" || {
    cat "$work/stderr" >&2
    return 1
  }
  cat "$work/time"
}

measure_mean() {  # runs, command...: the mean "wall user peak_kib" of that many runs of the command (a
  # listing takes a few hundredths of a second, below what one run's figures can tell apart)
  local runs=$1
  shift
  /usr/bin/time -f "%e %U %M" -o "$work/time" \
    bash -c 'n=$1; shift; for ((i = 0; i < n; i++)); do "$@" >/dev/null || exit 1; done' _ "$runs" "$@" \
    2>"$work/stderr" || {
    cat "$work/stderr" >&2
    return 1
  }
  read -r w u m <"$work/time"
  echo "$(echo "$w / $runs" | bc -l) $(echo "$u / $runs" | bc -l) $m"
}

# The traced statements as shell scripts: the layer's own transaction control, connection settings and
# marking of the person's action for the journal left out (the journal's triggers run for the shell too,
# each of its changes an action of its own), then as they are (autocommitted) and in one transaction.
scripts() {  # trace, name
  python3 - "$1" "$work/$2" <<'PY'
import sys
texts = [t.strip() for t in open(sys.argv[1], encoding="utf-8").read().split("\n;\n")]
texts = [t for t in texts if t and t not in ("BEGIN", "BEGIN IMMEDIATE", "COMMIT", "ROLLBACK") and not t.startswith("PRAGMA")]
head = "PRAGMA synchronous=NORMAL;\nPRAGMA foreign_keys=ON;\n"
body = "".join(t + ";\n" for t in texts)
open(sys.argv[2] + ".auto.sql", "w", encoding="utf-8").write(head + body)
open(sys.argv[2] + ".one.sql", "w", encoding="utf-8").write(head + "BEGIN;\n" + body + "COMMIT;\n")
print(len(texts))
PY
}

# The generation's two statements per day, prepared once, in one transaction.
cat >"$work/prepared.py" <<'PY'
import sqlite3, sys, datetime
c = sqlite3.connect(sys.argv[1], isolation_level=None)
c.execute("PRAGMA synchronous=NORMAL")
c.execute("BEGIN")
day = datetime.date(1950, 1, 1)
exists = ("SELECT PD4G_CALENDATT.* FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 = 1 AND PD4G_IDDISBAPROG_PD0G = 201 "
          "AND PD4G_IDLEGAME_PD0H = 1100 AND PD4G_DATAATTIVITA = ?")
insert = ("INSERT INTO PD4G_CALENDATT (PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, PD4G_DATAATTIVITA, PD4G_ANNOATTIVITA, "
          "PD4G_MESEATTIVITA, PD4G_GGATTIVITA, PD4G_ORAINIZIO, PD4G_MININIZIO, PD4G_ORAFINE, PD4G_MINFINE, "
          "PD4G_DURATAORE, PD4G_DURATAMINUTI, PD4G_DITTA_CG18) VALUES (201, 1100, ?, ?, ?, ?, 0, 0, 8, 0, 8, 0, 1)")
for _ in range(32767):
    iso = day.isoformat()
    if not c.execute(exists, (iso,)).fetchall():
        c.execute(insert, (iso, day.year, day.month, day.day))
    day += datetime.timedelta(days=1)
c.execute("COMMIT")
PY

key="PD4G_DITTA_CG18 = 1 AND PD4G_IDDISBAPROG_PD0G = 201 AND PD4G_IDLEGAME_PD0H = 1100"
range=(--called --project PRJ002 --node M01 --activity BENCH --from 1950-01-01 --to 2039-09-17 --every 1)
clear="DELETE FROM PD4G_CALENDATT WHERE $key"
refill="WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 32766),
  days(d) AS (SELECT date('1950-01-01', '+' || i || ' days') FROM n)
INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, PD4G_DATAATTIVITA,
  PD4G_ANNOATTIVITA, PD4G_MESEATTIVITA, PD4G_GGATTIVITA, PD4G_ORAINIZIO, PD4G_MININIZIO, PD4G_ORAFINE, PD4G_MINFINE,
  PD4G_DURATAORE, PD4G_DURATAMINUTI) SELECT 1, 201, 1100, d, CAST(strftime('%Y', d) AS INTEGER),
  CAST(strftime('%m', d) AS INTEGER), CAST(strftime('%d', d) AS INTEGER), 0, 0, 8, 0, 8, 0 FROM days"
stored() { sqlite3 "$db" "SELECT COUNT(*) FROM PD4G_CALENDATT WHERE $key"; }
no_statistics() { sqlite3 "$db" "DROP TABLE IF EXISTS sqlite_stat1; DROP TABLE IF EXISTS sqlite_stat4"; }

figures() {  # "wall user peak": wall s / user s / peak KiB
  read -r w u m <<<"$1"
  printf '%7.3f %6.3f %6d' "$w" "$u" "$m"
}

report() {  # operation, program figures, shell autocommitted (or "-"), shell in one transaction or raw join
  local auto="     -     -      -"
  [ "$3" = - ] || auto=$(figures "$3")
  read -r pw _ _ <<<"$2"
  local against="$3"
  [ "$3" = - ] && against="$4"
  read -r ow _ _ <<<"$against"
  printf '%-13s | %s | %s | %s | ratio %.2f\n' "$1" "$(figures "$2")" "$auto" "$(figures "$4")" \
    "$(echo "$pw / $ow" | bc -l)"
}

# The listing's columns straight from the tables, as CSV.
cat >"$work/join.sql" <<'SQL'
.mode csv
.headers on
SELECT PD0G_CODPROG_PD68 AS project, PD0G_CODNODO_PD0C AS node, PD0H_CODATTIVITA_PD0D AS activity,
       PD4G_DATAATTIVITA AS day, PD4G_DURATAORE AS hours, PD4G_DURATAMINUTI AS minutes,
       PD0H_DATAINIZPIAN AS planning_start, PD0H_DATAFINPIAN AS planning_end
FROM PD4G_CALENDATT
  INNER JOIN PD0G_DISBAPROG ON PD0G_IDDISBAPROG = PD4G_IDDISBAPROG_PD0G
  INNER JOIN PD0H_LEGDISBAPROG ON PD0H_IDLEGAME = PD4G_IDLEGAME_PD0H
WHERE PD4G_DITTA_CG18 = 1 AND PD4G_DATAATTIVITA = '2000-03-15';
SQL

echo "figures: wall s, user s, peak KiB of each process"
echo "work          | calendatt              | sqlite3, autocommitted | sqlite3, one transaction (raw join for list)"
for run in $(seq 1 "$runs"); do
  echo "== run $run"
  # A traced run gives the statements; the measured one runs without the trace.
  sqlite3 "$db" "$clear"
  rm -f "$work/generate.trace"
  CALENDATT_SQL_TRACE="$work/generate.trace" "$cli" add-range --db "$db" "${range[@]}" \
    --hours 8 --minutes 0 --existing stop --yes >/dev/null 2>&1
  n_gen=$(scripts "$work/generate.trace" generate)
  sqlite3 "$db" "$clear"
  no_statistics
  gen=$(measure "$cli" add-range --db "$db" "${range[@]}" --hours 8 --minutes 0 --existing stop --yes)
  [ "$(stored)" = 32767 ] || { echo "generation incomplete" >&2; exit 1; }
  sqlite3 "$db" "$clear"
  no_statistics
  gen_auto=$(measure sqlite3 "$db" ".read $work/generate.auto.sql")
  [ "$(stored)" = 32767 ] || { echo "replayed generation incomplete" >&2; exit 1; }
  sqlite3 "$db" "$clear"
  gen_one=$(measure sqlite3 "$db" ".read $work/generate.one.sql")
  report "add-range" "$gen" "$gen_auto" "$gen_one"

  rm -f "$work/delete.trace"
  CALENDATT_SQL_TRACE="$work/delete.trace" "$cli" delete-range --db "$db" "${range[@]}" --yes >/dev/null 2>&1
  n_del=$(scripts "$work/delete.trace" delete)
  sqlite3 "$db" "$refill"
  no_statistics
  del=$(measure "$cli" delete-range --db "$db" "${range[@]}" --yes)
  [ "$(stored)" = 0 ] || { echo "deletion incomplete" >&2; exit 1; }
  sqlite3 "$db" "$refill"
  no_statistics
  del_auto=$(measure sqlite3 "$db" ".read $work/delete.auto.sql")
  [ "$(stored)" = 0 ] || { echo "replayed deletion incomplete" >&2; exit 1; }
  sqlite3 "$db" "$refill"
  del_one=$(measure sqlite3 "$db" ".read $work/delete.one.sql")
  report "delete-range" "$del" "$del_auto" "$del_one"

  list=$(measure_mean 20 "$cli" list --db "$db" --day 2000-03-15 --format csv)
  rows=$("$cli" list --db "$db" --day 2000-03-15 --format csv | tail -n +2 | wc -l)
  [ "$rows" = 5000 ] || { echo "the listing has $rows rows, not 5000" >&2; exit 1; }
  join=$(measure_mean 20 sqlite3 "$db" ".read $work/join.sql")
  report "list 5000 rows" "$list" - "$join"

  sqlite3 "$db" "$clear"
  pre=$(measure python3 "$work/prepared.py" "$db")
  [ "$(stored)" = 32767 ] || { echo "prepared generation incomplete" >&2; exit 1; }
  printf 'add-range limit: two statements prepared once, bound per day, one transaction (python3 sqlite3): %s\n' \
    "$(figures "$pre")"
  sqlite3 "$db" "$clear"
done
echo "statements per run: add-range $n_gen, delete-range $n_del"
