#!/usr/bin/env bash
# The real programs on one machine under Xvfb, driven through the accessibility tree by the
# captions a user reads: Haskett answers the check-in; in Wrenfield a wrong password shows
# "密码错误！" and keeps the login window, the right one reaches "汽修管理系统"; then a repair
# order is registered with its ticket going to a PDF, and found in the list and the database.
# The workstation attaches as a database user of its own, which Haskett makes at start and
# grants its rights, as in an installation; the user is dropped at the end.
#   e2e.sh BIN_DIR TEMPLATE_DB
set -euo pipefail
bin=$1
template=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/tarnwell-e2e-XXXXXX)
chmod 0777 "$work"
pids=()
# Unique on the shared server; the password as scripts/setup makes one.
dbuser=TARNWELL_E2E_$$
dbpassword=$(head -c 18 /dev/urandom | base64 | tr '+/' 'xy')
sysdba_sql() {
  isql-fb -q -user SYSDBA -password quillfern "127.0.0.1:$work/server/DATA/DATA.FDB"
}
cleanup() {
  [ -s "$work/wpid" ] && pids+=("$(cat "$work/wpid")")
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [ -f "$work/server/DATA/DATA.FDB" ]; then
    printf "DROP USER %s USING PLUGIN Srp;\nCOMMIT;\n" "$dbuser" | sysdba_sql >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "e2e: $*" >&2; exit 1; }

# A display of our own, and an accessibility bus on it. Xvfb picks a free display itself and
# writes its number, so that runs side by side never race for one.
Xvfb -displayfd 3 -screen 0 1280x800x24 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "no Xvfb"
export DISPLAY=":$(head -n1 "$work/display")"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || fail "no Xvfb on $DISPLAY"
eval "$(dbus-launch --sh-syntax)"
pids+=("$DBUS_SESSION_BUS_PID")
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); p=s.getsockname()[1]; s.close(); print(p)')
srv=$work/server
ws=$work/workstation
mkdir -p "$srv/DATA" "$ws"
chmod 0777 "$srv/DATA" "$ws"
cp "$template" "$srv/DATA/DATA.FDB"
chmod 0666 "$srv/DATA/DATA.FDB"
cp "$bin/Haskett" "$bin/libMoravek.so" "$srv/"
cp "$bin/Wrenfield" "$bin/libMoravek.so" "$bin/libTesselon.so" "$ws/"
cat > "$srv/server.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<server><port>$port</port><dbpath>$srv/DATA/DATA.FDB</dbpath><lastdate></lastdate><lastpath></lastpath><dbuser>$dbuser</dbuser><dbpassword>$dbpassword</dbpassword></server>
XML
cat > "$ws/configure.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<configure><countperpage>100</countperpage><ip>127.0.0.1</ip><port>$port</port><timeout>5</timeout><loginlist/><ticketpdf>ticket.pdf</ticketpdf><dbuser>$dbuser</dbuser><dbpassword>$dbpassword</dbpassword></configure>
XML

(cd "$srv" && exec ./Haskett) & hpid=$!; pids+=($hpid)
for _ in $(seq 100); do (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null && break; sleep 0.1; done
# Without a notification area Haskett shows its window at start; a window shown over the
# workstation's would take the clicks meant for it. It is hidden once it shows.
timeout 20 xdotool search --sync --onlyvisible --pid "$hpid" windowunmap %@ >/dev/null 2>&1 || true
(cd "$ws" && exec ./Wrenfield) & wpid=$!; pids+=($wpid)

E2E_DB="$srv/DATA/DATA.FDB" E2E_WS="$ws" E2E_TICKET="$ws/ticket.pdf" /usr/bin/python3 "$here/e2e.py" ||
  { import -window root /tmp/tarnwell-e2e-failed.png 2>/dev/null || true; fail "the scenario failed (screen in /tmp/tarnwell-e2e-failed.png)"; }
# The clerk's workstation, started by the scenario after the administrator left.
[ -s "$work/wpid" ] && wpid=$(cat "$work/wpid")
kill -0 "$wpid" || fail "Wrenfield ended"
# The day's work was done as the workstation's own user, not as SYSDBA.
attached=$(printf "SELECT 'AS=' || COUNT(*) FROM MON\$ATTACHMENTS WHERE MON\$USER = '%s' AND MON\$REMOTE_PID = %s;\n" \
  "$dbuser" "$wpid" | sysdba_sql | sed -n 's/.*AS=\([0-9]*\).*/\1/p')
[ "${attached:-0}" -ge 1 ] || fail "Wrenfield is not attached as $dbuser"
echo "e2e: passed"
