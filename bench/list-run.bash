# The list benchmarks' shared steps (sourced by list-*.sh; not a benchmark itself).
# bench_list NAME [SITE_OPTION...]: albatrix-cli lists a member of 2,000 albums over 100 album-list pages on
# the stand-in site (a separate albatrix-site process, started with the SITE_OPTIONs), against curl
# fetching the same 100 pages one after another (one curl process, gzip accepted as ours does). Best of
# three runs each. Both keep their connection alive from page to page.
bench_list() {
  local name=$1
  shift
  local pages=100 work base_of_member curl_args p best_ours best_peer cpu rss wall c r rows
  start_site --albums 2000 --pictures 0 --list-page-size 20 --no-login "$@" || return 0

  work=$(mktemp -d)
  base_of_member=${SITE_MEMBER%-1}  # ".../demo/photo-1" without the page number
  curl_args=()
  for p in $(seq 1 "$pages"); do curl_args+=(-o /dev/null "${base_of_member}-$p"); done

  best_ours="" best_peer="" cpu="" rss=""
  for _ in 1 2 3; do
    (cd "$work" && measure_ours "$work/rows.txt" "$BENCH_BUILD/albatrix-cli" --site "$SITE_BASE" list "$SITE_MEMBER"
     echo "$WALL $CPU $RSS_MB" >"$work/last")
    read -r wall c r <"$work/last"
    rows=$(wc -l <"$work/rows.txt")
    if [ "$rows" -ne 2000 ]; then echo "bench: $name listed $rows albums, not 2000" >&2; fi
    if [ -z "$best_ours" ] || awk -v a="$wall" -v b="$best_ours" 'BEGIN { exit !(a < b) }'; then
      best_ours=$wall cpu=$c rss=$r
    fi
    measure_peer curl -s --compressed -H "Accept-Encoding: gzip, deflate" "${curl_args[@]}"
    best_peer=$(min_of "$best_peer" "$PEER_WALL")
  done
  stop_site
  rm -rf "$work"
  report "$name" "$best_ours" "$best_peer" "$cpu" "$rss"
}
