# Helpers shared by the benchmark scripts (sourced). Every benchmark prints one line:
#   NAME: ours=<seconds> peer=<seconds> ratio=<ours/peer> cpu=<our CPU seconds> rss=<peak RSS MB>
# A benchmark reports what it measured; it never fails on speed.

# Seconds since the epoch with nanoseconds.
now() { date +%s.%N; }

# The smaller of two numbers.
min_of() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }

# measure_ours OUTFILE CMD...: runs CMD under /usr/bin/time; sets WALL, CPU (user + system) and RSS_MB.
measure_ours() {
  local out=$1 stats
  shift
  stats=$(mktemp)
  local start end
  start=$(now)
  /usr/bin/time -f "%U %S %M" -o "$stats" "$@" >"$out" 2>/dev/null || true
  end=$(now)
  WALL=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f", e - s }')
  read -r user sys rss <"$stats"
  CPU=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
  RSS_MB=$(awk -v k="$rss" 'BEGIN { printf "%.1f", k / 1024 }')
  rm -f "$stats"
}

# measure_peer CMD...: wall seconds of CMD in PEER_WALL.
measure_peer() {
  local start end
  start=$(now)
  "$@" >/dev/null 2>&1 || true
  end=$(now)
  PEER_WALL=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f", e - s }')
}

report() {  # NAME OURS PEER CPU RSS
  awk -v n="$1" -v o="$2" -v p="$3" -v c="$4" -v r="$5" \
    'BEGIN { printf "%s: ours=%.3f peer=%.3f ratio=%.2f cpu=%s rss=%s\n", n, o, p, (p > 0 ? o / p : 0), c, r }'
}

# start_site ARGS...: runs albatrix-site in the background; sets SITE_PID, SITE_BASE and SITE_MEMBER.
start_site() {
  local info
  info=$(mktemp)
  "$BENCH_BUILD/albatrix-site" "$@" >"$info" 2>/dev/null &
  SITE_PID=$!
  for _ in $(seq 1 500); do
    if grep -q '^member ' "$info"; then break; fi
    sleep 0.01
  done
  SITE_BASE=$(awk '$1 == "base" { print $2 }' "$info")
  SITE_MEMBER=$(awk '$1 == "member" { print $2 }' "$info")
  rm -f "$info"
  if [ -z "$SITE_BASE" ] || [ -z "$SITE_MEMBER" ]; then
    echo "bench: albatrix-site did not start" >&2
    kill "$SITE_PID" 2>/dev/null || true
    return 1
  fi
}

stop_site() {
  kill "$SITE_PID" 2>/dev/null || true
  wait "$SITE_PID" 2>/dev/null || true
}
