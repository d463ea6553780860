#!/usr/bin/env bash
# The real programs on one machine under Xvfb: Haskett answers the check-in, Wrenfield logs
# in through its window as a user would type. A wrong password shows "密码错误！" and keeps
# the login window; the right one reaches the main window "汽修管理系统".
#   e2e.sh BIN_DIR TEMPLATE_DB
set -euo pipefail
bin=$1
template=$2
work=$(mktemp -d /tmp/tarnwell-e2e-XXXXXX)
chmod 0777 "$work"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "e2e: $*" >&2; [ -n "${DISPLAY:-}" ] && import -display "$DISPLAY" -window root "$work/../tarnwell-e2e-failed.png" 2>/dev/null; exit 1; }

# A display of our own.
for n in $(seq 90 120); do
  [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 1280x800x24 >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=":$n"
  break
done
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || fail "no Xvfb"

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); p=s.getsockname()[1]; s.close(); print(p)')
srv=$work/server
ws=$work/workstation
mkdir -p "$srv/DATA" "$ws"
chmod 0777 "$srv/DATA"
cp "$template" "$srv/DATA/DATA.FDB"
chmod 0666 "$srv/DATA/DATA.FDB"
cp "$bin/Haskett" "$bin/libMoravek.so" "$srv/"
cp "$bin/Wrenfield" "$bin/libMoravek.so" "$bin/libTesselon.so" "$ws/"
cat > "$srv/server.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<server><port>$port</port><dbpath>$srv/DATA/DATA.FDB</dbpath><lastdate></lastdate><lastpath></lastpath></server>
XML
cat > "$ws/configure.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<configure><countperpage>100</countperpage><ip>127.0.0.1</ip><port>$port</port><timeout>5</timeout><loginlist/></configure>
XML

(cd "$srv" && exec ./Haskett) & pids+=($!)
for _ in $(seq 50); do (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null && break; sleep 0.1; done
(cd "$ws" && exec ./Wrenfield) & wpid=$!; pids+=($wpid)

wait_window() {   # name, seconds
  local i
  for i in $(seq 0 $(( $2 * 10 ))); do
    xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 && return 0
    sleep 0.1
  done
  return 1
}

# Types into a field of the login window, found by its place in the window.
type_into() {   # window, x, y, text
  xdotool windowfocus "$1"; sleep 0.3
  xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.2
  xdotool key ctrl+a BackSpace
  xdotool type --delay 30 "$4"
}
user_x=160; user_y=89; pw_x=160; pw_y=119

login=$(wait_window "用户登录" 15) || fail "no login window"
type_into "$login" $user_x $user_y "管理员"
type_into "$login" $pw_x $pw_y "000000"
xdotool key Return
box=$(wait_window "警告" 15) || fail "no message after a wrong password"
xdotool windowfocus "$box"; sleep 0.2
xdotool key Return
sleep 0.5
wait_window "用户登录" 2 >/dev/null || fail "the login window went away after a wrong password"
wait_window "汽修管理系统" 1 >/dev/null && fail "the main window came up after a wrong password"

# Keystrokes can be lost on a busy machine: a password that did not arrive whole shows
# "密码错误！" again, and the test types it once more.
for attempt in 1 2 3; do
  login=$(wait_window "用户登录" 2) || break
  type_into "$login" $pw_x $pw_y "123456"
  xdotool key Return
  for _ in $(seq 100); do
    wait_window "汽修管理系统" 0 >/dev/null && break 2
    if box=$(wait_window "警告" 0); then
      xdotool windowfocus "$box"; sleep 0.2; xdotool key Return; sleep 0.3
      continue 2
    fi
    sleep 0.1
  done
done
wait_window "汽修管理系统" 15 >/dev/null || fail "no main window after the right password"
kill -0 "$wpid" || fail "Wrenfield ended"
echo "e2e: logged in through Haskett's handshake; the main window is up"
