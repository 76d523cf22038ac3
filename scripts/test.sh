#!/usr/bin/env bash
# Installs what is missing, builds, starts a local PostgreSQL and runs every
# test on SQLite and on PostgreSQL.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
build_all

# A local PostgreSQL cluster with a test role and database.
as_postgres() {
    if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else sudo -u postgres "$@"; fi
}
cluster=$(pg_lsclusters -h 2>/dev/null | head -n 1 || true)
if [ -z "$cluster" ]; then
    version=$(ls /usr/lib/postgresql | sort -V | tail -n 1)
    as_root pg_createcluster "$version" main >/dev/null
    cluster=$(pg_lsclusters -h | head -n 1)
fi
read -r pg_version pg_name pg_port pg_status _ <<<"$cluster"
if [ "$pg_status" != online ]; then
    as_root pg_ctlcluster "$pg_version" "$pg_name" start
fi
for _ in $(seq 1 30); do
    as_postgres pg_isready -q -p "$pg_port" && break
    sleep 1
done
as_postgres psql -p "$pg_port" -qtAc "select 1 from pg_roles where rolname='salondesk'" | grep -q 1 ||
    as_postgres psql -p "$pg_port" -qc "create role salondesk login password 'salondesk'"
as_postgres psql -p "$pg_port" -qtAc "select 1 from pg_database where datname='salondesk_test'" | grep -q 1 ||
    as_postgres createdb -p "$pg_port" -O salondesk salondesk_test
# Each test run makes schemas of its own in this database.
as_postgres psql -p "$pg_port" -qc "alter database salondesk_test owner to salondesk"
export SALONDESK_TEST_PG="host=127.0.0.1 port=$pg_port dbname=salondesk_test user=salondesk password=salondesk"

cd "$BUILD"
set +e
ctest --output-on-failure -j "$(nproc)" 2>&1 | tee "$BUILD/ctest.out"
status=${PIPESTATUS[0]}
set -e
echo "== test passes per backend (one line per test program and backend):"
grep -h "=== backend:" "$BUILD/Testing/Temporary/LastTest.log" | sort | uniq -c || true
grep -E "tests passed|tests failed" "$BUILD/ctest.out" | tail -n 1
exit "$status"
