#!/usr/bin/env bash
# Starts sim_controller on TCP, UDP and a pseudo-terminal, checks that it says
# where it listens, that --udp alone answers on the TCP port (what a search
# finds is what a send reaches) and that the TCP port takes a connection.
set -euo pipefail
prog=$1
out=$(mktemp)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -f "$out"' EXIT

# Starts the program with the given arguments and waits for its lines.
start() {
  local lines=$1; shift
  : >"$out"
  "$prog" "$@" >"$out" &
  pids+=($!)
  for _ in $(seq 100); do
    [ "$(wc -l <"$out")" -ge "$lines" ] && break
    sleep 0.1
  done
  cat "$out"
  [ "$(wc -l <"$out")" -eq "$lines" ]
}

start 3 --tcp 0 --udp --pty
port=$(sed -n 's/^tcp 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$out")
udp=$(sed -n 's/^udp 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$out")
pty=$(sed -n 's/^pty //p' "$out")
[ -n "$port" ] && [ "$port" -gt 0 ]
[ "$udp" = "$port" ]
[ -e "$pty" ]
exec 3<>"/dev/tcp/127.0.0.1/$port"
exec 3>&-

# A port of its own for UDP when one is given.
start 2 --tcp 0 --udp 0
port=$(sed -n 's/^tcp 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$out")
udp=$(sed -n 's/^udp 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$out")
[ -n "$udp" ] && [ "$udp" -gt 0 ] && [ "$udp" != "$port" ]

"$prog" --bogus 2>/dev/null && exit 1
exit 0
