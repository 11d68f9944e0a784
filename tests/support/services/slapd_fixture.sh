#!/bin/sh
# A throwaway LDAP server for the tests: config and data in FOLDER, the entries of
# LDIF loaded offline, listening on 127.0.0.1 only (on PORT when given, else a free one).
# Prints "port N" once it answers, then stays in the foreground until it is killed.
# Usage: slapd_fixture.sh FOLDER LDIF [PORT]
set -eu
folder=$1
ldif=$2
mkdir -p "$folder/db"
cat > "$folder/slapd.conf" <<CONF
include /etc/ldap/schema/core.schema
pidfile $folder/slapd.pid
argsfile $folder/slapd.args
modulepath /usr/lib/ldap
moduleload back_mdb
database mdb
maxsize 10485760
suffix "dc=zorvane,dc=test"
rootdn "cn=admin,dc=zorvane,dc=test"
directory $folder/db
access to * by * read
CONF
slapadd -q -f "$folder/slapd.conf" -l "$ldif" >/dev/null 2>&1
port=${3:-}
[ -n "$port" ] || port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
/usr/sbin/slapd -d 0 -f "$folder/slapd.conf" -h "ldap://127.0.0.1:$port/" >"$folder/slapd.log" 2>&1 &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; exit 0' TERM INT
for _ in $(seq 1 100); do
  if ldapsearch -x -H "ldap://127.0.0.1:$port/" -b "dc=zorvane,dc=test" -s base >/dev/null 2>&1; then
    echo "port $port"
    wait $server
    exit 0
  fi
  sleep 0.1
done
kill $server
echo "port 0"
