# A PostgreSQL server of the tests' own, as a hospital's would hold the
# saved results: the schema and the roles of docs/records/postgresql.sql in
# a database "orvomed", on 127.0.0.1 only, reached over TCP only through
# TLS with a certificate of its own CA. Sourced by the test scripts (bash):
#
#   source tests/delivery/database_server.sh
#   trap database_server_stop EXIT    # before the start: no server outlives its test
#   trap 'exit 130' INT TERM          # bash runs no EXIT trap when a signal kills it
#   database_server_start "$build_folder"
#   ... "$GLYVANT_TEST_DATABASE" (the writer's ODBC connection string, the
#       certificate verified as a ward PC's must), "$GLYVANT_TEST_READING_DATABASE"
#       (the ward reader's, the same way), "$database_tls" (the
#       same verification for another connection string),
#       database_admin_sql "SELECT ..." (as the owner, unaligned) ...
#   database_server_pause / database_server_resume  (an outage, data kept)
#   database_server_stop
#
# PostgreSQL refuses to run as root: the data folder belongs to the postgres
# user, who runs initdb and the server. The server runs in the background of
# the sourcing shell (not as a daemon) and is stopped by its own process id:
# call these functions in the script's own shell, not in $(...) or a pipe.

database_bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
database_sql=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/docs/records/postgresql.sql
database_root=     # the server's folder: data/, the socket, server.log
database_port=
database_pid=      # postgres itself
database_runner=   # runuser, postgres's parent and this shell's child
database_ca=       # the CA that signed the server's certificate
database_tls=      # ODBC: TLS, and the certificate must name the host asked for
database_password= # the writer's
database_reader_password= # the ward reader's

# database_as_owner COMMAND...: runs one of the server's programs as the
# postgres user, from a folder that user may enter.
database_as_owner() {
  (cd / && runuser -u postgres -- "$@")
}

# database_free_port: prints a TCP port of 127.0.0.1 that nothing listens on
# now. Another program may take it before the server does; the start then
# fails and tries another.
database_free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# database_launch: starts the server of $database_root on $database_port and
# waits until it accepts connections (30 s at most). Returns 1, with the
# server's log on standard error, when it stopped instead (its port taken).
database_launch() {
  database_as_owner "$database_bin/postgres" -D "$database_root/data" -p "$database_port" \
    -c listen_addresses=127.0.0.1 -c unix_socket_directories="$database_root" \
    -c fsync=off -c full_page_writes=off -c ssl=on -c ssl_cert_file="$database_root/tls/server.crt" \
    -c ssl_key_file="$database_root/tls/server.key" </dev/null >>"$database_root/server.log" 2>&1 &
  database_runner=$!
  # The socket lies in the server's own folder, so the answer is this
  # server's, even when another listens on the port.
  for _ in $(seq 300); do
    if "$database_bin/pg_isready" -q -h "$database_root" -p "$database_port"; then
      database_pid=$(head -n 1 "$database_root/data/postmaster.pid")
      return 0
    fi
    kill -0 "$database_runner" 2>/dev/null || break
    sleep 0.1
  done
  database_end "$(head -n 1 "$database_root/data/postmaster.pid" 2>/dev/null)"
  wait "$database_runner" 2>/dev/null
  database_runner=
  tail -n 5 "$database_root/server.log" >&2
  return 1
}

# database_end PID: stops the server of that id (SIGINT: a fast shutdown,
# open sessions ended) and waits until it has gone, 30 s at most.
database_end() {
  kill -INT "$1" 2>/dev/null || return 0
  for _ in $(seq 300); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.1
  done
}

# database_halt: stops the running server, and reaps runuser.
database_halt() {
  [ -n "$database_runner" ] || return 0
  database_end "$database_pid"
  wait "$database_runner" 2>/dev/null
  database_runner= database_pid=
}

# database_certificates: a CA of the server's own and a certificate it
# signed for the name 127.0.0.1 alone, so that a client verifying fully
# refuses the server by any other name ("localhost" included). The keys
# are the postgres user's, mode 600, as the server requires.
database_certificates() {
  local tls=$database_root/tls key=(-x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 7)
  mkdir -p "$tls" && chown postgres: "$tls"
  if ! { database_as_owner openssl req "${key[@]}" -subj "/CN=OrvoMed test CA" \
           -addext basicConstraints=critical,CA:TRUE -keyout "$tls/ca.key" -out "$tls/ca.crt" &&
         database_as_owner openssl req "${key[@]}" -subj "/CN=127.0.0.1" -addext subjectAltName=IP:127.0.0.1 \
           -addext basicConstraints=critical,CA:FALSE -CA "$tls/ca.crt" -CAkey "$tls/ca.key" \
           -keyout "$tls/server.key" -out "$tls/server.crt"
       } >"$tls/openssl.log" 2>&1; then
    cat "$tls/openssl.log" >&2
    return 1
  fi
  chmod 600 "$tls/ca.key" "$tls/server.key"
  database_ca=$tls/ca.crt
  # The path is the host's also under Wine: its odbc32 hands the string to
  # the host's unixODBC, whose driver hands pqopt to libpq.
  database_tls="SSLMode=verify-full;pqopt={sslrootcert=$database_ca};"
}

# database_admin_sql SQL: runs SQL as the owner in "orvomed" (in the database
# $database_name instead, when set: "postgres" for the server's own matters);
# prints the rows unaligned, one a line, fields parted by "|". Fails with
# psql's message.
database_admin_sql() {
  database_as_owner "$database_bin/psql" -X -q -tA -v ON_ERROR_STOP=1 \
    "host=$database_root port=$database_port dbname=${database_name:-orvomed} client_encoding=UTF8" -c "$1"
}

# database_create NAME: a new database, in which every role may create
# objects in public as PostgreSQL 12 to 14 let it: the schema script must
# take that right away itself.
database_create() {
  database_name=postgres database_admin_sql "CREATE DATABASE $1" &&
    database_name=$1 database_admin_sql "GRANT CREATE ON SCHEMA public TO PUBLIC"
}

# database_schema DATABASE [SCRIPT]: runs the schema script
# (docs/records/postgresql.sql unless given) in DATABASE as the owner, the
# writer's password $database_password. Fails with psql's message.
database_schema() {
  database_as_owner "$database_bin/psql" -X -q -v ON_ERROR_STOP=1 -v writer_password="'$database_password'" \
    -v reader_password="'$database_reader_password'" \
    "host=$database_root port=$database_port dbname=$1" -f - <"${2:-$database_sql}"
}

# database_reports_login: a report's login, orvomed_test_reports, as the
# deployment note makes one: a member of the readers' role, in Beijing
# time, JIT off, a month's patients grouped in memory. Its password in $reports_password.
database_reports_login() {
  reports_password=$(od -An -tx1 -N16 /dev/urandom | tr -d ' \n')
  database_admin_sql "CREATE ROLE orvomed_test_reports LOGIN PASSWORD '$reports_password';
    GRANT orvomed_reader TO orvomed_test_reports;
    ALTER ROLE orvomed_test_reports SET search_path = pg_catalog, orvomed;
    ALTER ROLE orvomed_test_reports SET timezone = 'Asia/Shanghai';
    ALTER ROLE orvomed_test_reports SET jit = off;
    ALTER ROLE orvomed_test_reports SET work_mem = '32MB'" >/dev/null
}

# database_login_psql LOGIN PASSWORD PSQL-ARGUMENTS...: psql over TLS as
# that login, its certificate verified, unaligned.
database_login_psql() {
  local login=$1 password=$2
  shift 2
  PGPASSWORD=$password "$database_bin/psql" -X -q -tA -v ON_ERROR_STOP=1 \
    "host=127.0.0.1 port=$database_port dbname=orvomed user=$login sslmode=verify-full sslrootcert=$database_ca" "$@"
}

# database_server_start FOLDER: a new server with its data in FOLDER/database
# (what an earlier run left there is removed first), the database and the
# writer made, GLYVANT_TEST_DATABASE, GLYVANT_TEST_DATABASE_WRONG_HOST and
# GLYVANT_TEST_DATABASE_PORT exported.
# Returns 1 with a message when the server could not be started.
database_server_start() {
  local folder=$1 attempt pid
  [ -n "$database_bin" ] || { echo "database_server_start: PostgreSQL is not installed" >&2; return 1; }
  [ "$(id -u)" = 0 ] || { echo "database_server_start: runs as root, to be the postgres user" >&2; return 1; }
  mkdir -p "$folder" && folder=$(cd "$folder" && pwd)
  database_root=$folder/database
  # A server left by a killed run of the same test, if its id is still a
  # postgres (not another program's since a restart).
  pid=$(head -n 1 "$database_root/data/postmaster.pid" 2>/dev/null)
  [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = postgres ] && database_end "$pid"
  rm -rf "$database_root"
  # The postgres user must reach the folder (a clone under /root cannot be
  # entered), and a socket's path is 107 bytes at most.
  if ! database_as_owner test -x "$folder" || [ ${#database_root} -gt 80 ]; then
    database_root=$(mktemp -d /tmp/glyvant-database.XXXXXX)
  fi
  mkdir -p "$database_root" && chown postgres: "$database_root" && chmod 700 "$database_root"
  if ! database_as_owner "$database_bin/initdb" -D "$database_root/data" -U postgres -N \
         --encoding=UTF8 --no-locale --auth-local=peer --auth-host=scram-sha-256 \
         >"$database_root/initdb.log" 2>&1; then
    cat "$database_root/initdb.log" >&2
    return 1
  fi
  database_certificates || return 1
  # Peer authentication on the socket for the owner; over TCP the writer,
  # the ward reader, a nurse's own reading login and a report's login
  # (orvomed_reader's) a test may make, and the owner with their passwords, as a ward PC sends them, and only through
  # TLS: no one else, and nothing in the clear.
  cat >"$database_root/data/pg_hba.conf" <<'HBA'
local   all  postgres        peer
hostssl all  orvomed_writer  127.0.0.1/32  scram-sha-256
hostssl all  orvomed_ward_reader  127.0.0.1/32  scram-sha-256
hostssl all  orvomed_test_nurse   127.0.0.1/32  scram-sha-256
hostssl all  orvomed_test_reports  127.0.0.1/32  scram-sha-256
hostssl all  postgres        127.0.0.1/32  scram-sha-256
HBA
  for attempt in 1 2 3 4 5; do
    database_port=$(database_free_port)
    database_launch && break
    [ "$attempt" = 5 ] && { echo "database_server_start: the server did not start" >&2; return 1; }
  done
  database_password=$(od -An -tx1 -N16 /dev/urandom | tr -d ' \n')
  database_reader_password=$(od -An -tx1 -N16 /dev/urandom | tr -d ' \n')
  database_create orvomed && database_schema orvomed || return 1
  GLYVANT_TEST_DATABASE="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$database_port;Database=orvomed;Uid=orvomed_writer;Pwd=$database_password;$database_tls"
  # The same server by a name its certificate does not give.
  GLYVANT_TEST_DATABASE_WRONG_HOST=${GLYVANT_TEST_DATABASE/Server=127.0.0.1;/Server=localhost;}
  GLYVANT_TEST_DATABASE_PORT=$database_port
  GLYVANT_TEST_READING_DATABASE="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$database_port;Database=orvomed;Uid=orvomed_ward_reader;Pwd=$database_reader_password;$database_tls"
  export GLYVANT_TEST_DATABASE GLYVANT_TEST_DATABASE_WRONG_HOST GLYVANT_TEST_DATABASE_PORT GLYVANT_TEST_READING_DATABASE
}

# database_server_pause: the server stops, its data kept, as when the
# hospital's server is down.
database_server_pause() {
  database_halt
}

# database_server_resume: the paused server starts again on the same port.
# Returns 1 when it could not (something else took the port meanwhile).
database_server_resume() {
  [ -n "$database_runner" ] && return 0
  database_launch
}

# database_server_stop: stops the server and removes its folder. Safe to call
# again, and when nothing was started.
database_server_stop() {
  database_halt
  [ -n "$database_root" ] && rm -rf "$database_root"
  database_root= database_ca= database_tls=
  return 0
}
