# The download benchmarks' shared steps (sourced by download-*.sh; not a benchmark itself).
# bench_download NAME PICTURES KB [THREADS [SITE_OPTION...]]: the stand-in site (a separate albatrix-site
# process, started with the SITE_OPTIONs, such as an emulated network's) serves one album of PICTURES
# pictures of KB KiB each. Our list-only mode writes the album's ".lst" file; then our
# download run with THREADS threads (15 unless given; listing included) races aria2c -j THREADS fed that
# list, against the same site in the same run. Best of three each; our CPU seconds and peak RSS are those
# of our best run.
# The peer runs with its own defaults; both sides keep their connections alive.
bench_download() {
  local name=$1 pictures=$2 kb=$3 threads=${4:-15}
  shift $(($# < 4 ? $# : 4))
  start_site --albums 1 --pictures "$pictures" --picture-kb "$kb" --album-page-size 100 --no-login "$@" || return 0
  local work cli=$BENCH_BUILD/albatrix-cli
  work=$(mktemp -d)
  (
    cd "$work"
    "$cli" settings set threads="$threads" name-source=1 list-only=on >/dev/null
    "$cli" --site "$SITE_BASE" download "$SITE_MEMBER" --save lists >/dev/null 2>&1
    "$cli" settings set list-only=off >/dev/null
  )
  local list
  list=$(find "$work/lists" -name '*.lst' | head -n 1)
  if [ -z "$list" ] || [ "$(wc -l <"$list")" -ne "$pictures" ]; then
    echo "bench: $name: our list-only run wrote no list of $pictures pictures" >&2
    stop_site
    rm -rf "$work"
    return 0
  fi

  # The site makes a picture's bytes on the first request for them; neither side should pay for that.
  curl -s -o /dev/null "$(head -n 1 "$list" | tr -d '\r')" || true

  local best_ours="" best_peer="" cpu="" rss="" run wall c r saved
  for run in 1 2 3; do
    (cd "$work" && measure_ours "$work/rows.txt" "$cli" --site "$SITE_BASE" download "$SITE_MEMBER" --save "ours$run"
     echo "$WALL $CPU $RSS_MB" >"$work/last")
    read -r wall c r <"$work/last"
    saved=$(find "$work/ours$run" -name '*.jpg' | wc -l)
    if [ "$saved" -ne "$pictures" ]; then echo "bench: $name: we saved $saved of $pictures pictures" >&2; fi
    if [ -z "$best_ours" ] || awk -v a="$wall" -v b="$best_ours" 'BEGIN { exit !(a < b) }'; then
      best_ours=$wall cpu=$c rss=$r
    fi
    rm -rf "$work/ours$run"
    measure_peer aria2c -j"$threads" -i "$list" -d "$work/peer$run" --file-allocation=none --allow-overwrite=true \
      --auto-file-renaming=false --console-log-level=error --summary-interval=0 --download-result=hide -q
    saved=$(find "$work/peer$run" -type f | wc -l)
    if [ "$saved" -ne "$pictures" ]; then echo "bench: $name: aria2c saved $saved of $pictures pictures" >&2; fi
    best_peer=$(min_of "$best_peer" "$PEER_WALL")
    rm -rf "$work/peer$run"
  done
  stop_site
  rm -rf "$work"
  report "$name" "$best_ours" "$best_peer" "$cpu" "$rss"
}
