#!/usr/bin/env bash
# Starts the PostgreSQL server the tests use, on 127.0.0.1:5432 (or the port in
# PZARC_TEST_PG_PORT), with the login role pzarc
# (password pzarc, allowed to create databases), and prints the one line that points the
# tests at it:
#   eval "$(scripts/start-test-postgres.sh)"
# Everything else goes to stderr, so that the eval sees only that line. Safe to run again.
set -euo pipefail

host=127.0.0.1
port=${PZARC_TEST_PG_PORT:-5432}
role=pzarc
password=pzarc

log() { echo "start-test-postgres: $*" >&2; }
die() {
  log "$*"
  exit 1
}

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || die "needs root (or sudo) to manage the PostgreSQL cluster"
  as_root=(sudo)
fi

command -v pg_lsclusters >/dev/null || die "PostgreSQL is not installed (apt-get install postgresql)"

# The cluster that listens on our port; without one, a new cluster for the newest installed
# server version, named "main" unless that name is taken by a cluster on another port.
read_cluster() {
  pg_lsclusters -h | awk -v port="$port" '$3 == port { print $1, $2; exit }'
}
cluster=$(read_cluster)
if [ -z "$cluster" ]; then
  version=$(ls /usr/lib/postgresql 2>/dev/null | sort -V | tail -n 1)
  [ -n "$version" ] || die "no PostgreSQL server version found under /usr/lib/postgresql"
  name=main
  if pg_lsclusters -h | awk -v v="$version" '$1 == v && $2 == "main" { found = 1 } END { exit !found }'; then
    name=pzarc_test
  fi
  log "creating cluster $version/$name on port $port"
  "${as_root[@]}" pg_createcluster "$version" "$name" --port "$port" >&2
  cluster=$(read_cluster)
  [ -n "$cluster" ] || die "the new cluster does not show up in pg_lsclusters"
fi
read -r version name <<<"$cluster"

if ! pg_lsclusters -h | awk -v v="$version" -v n="$name" '$1 == v && $2 == n && $4 == "online" { found = 1 } END { exit !found }'; then
  log "starting cluster $version/$name"
  "${as_root[@]}" pg_ctlcluster "$version" "$name" start >&2 ||
    die "pg_ctlcluster $version $name start failed; see /var/log/postgresql/postgresql-$version-$name.log"
fi

ready=no
for _ in $(seq 1 30); do
  if pg_isready -q -h "$host" -p "$port"; then
    ready=yes
    break
  fi
  sleep 1
done
[ "$ready" = yes ] || die "the server does not answer on $host:$port"

# Over the local socket as the postgres superuser, which Debian's peer authentication allows.
# psql runs from /tmp because the postgres user may not be able to enter the caller's directory.
(cd /tmp && "${as_root[@]}" runuser -u postgres -- psql -X -q -v ON_ERROR_STOP=1 -p "$port" -d postgres >&2) <<SQL ||
do \$\$
begin
  if exists (select from pg_roles where rolname = '$role') then
    alter role $role login createdb password '$password';
  else
    create role $role login createdb password '$password';
  end if;
end
\$\$;
SQL
  die "cannot create the role $role"

# Debian's default rules ask for a password on TCP connections from 127.0.0.1, which is what
# the tests do; check that it really works before telling them to use it.
PGPASSWORD=$password psql -X -q -h "$host" -p "$port" -U "$role" -d postgres -c 'select 1' >/dev/null ||
  die "the role $role cannot log in over TCP on $host:$port"

log "PostgreSQL $version/$name is ready on $host:$port"
echo "export PZARC_TEST_PG='Provider=PostgreSQL;Data Source=$host;Port=$port;Initial Catalog=postgres;User ID=$role;Password=$password'"
