#!/usr/bin/env bash
# Starts sim_controller on TCP, UDP and a pseudo-terminal, checks that it says
# where it listens and that the TCP port takes a connection, then stops it.
set -euo pipefail
prog=$1
out=$(mktemp)
trap 'kill "$pid" 2>/dev/null || true; rm -f "$out"' EXIT
"$prog" --tcp 0 --udp --pty >"$out" &
pid=$!
for _ in $(seq 50); do
  [ "$(wc -l <"$out")" -ge 3 ] && break
  sleep 0.1
done
cat "$out"
port=$(sed -n 's/^tcp 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$out")
grep -q '^udp 127\.0\.0\.1:[0-9][0-9]*$' "$out"
pty=$(sed -n 's/^pty //p' "$out")
[ -n "$port" ] && [ "$port" -gt 0 ]
[ -e "$pty" ]
exec 3<>"/dev/tcp/127.0.0.1/$port"
exec 3>&-
"$prog" --bogus 2>/dev/null && exit 1
exit 0
