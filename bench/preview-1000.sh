# preview-1000: a listing of 1,000 albums is switched to preview mode under Xvfb while a 10 ms heartbeat
# runs on the interface thread; the line gives the seconds to the last thumbnail, the longest stall of
# the interface thread and the peak memory of the window's process (goal: under 150 MB; the site runs
# in a process of its own). There is no peer.
name=preview-1000
if [ ! -x "$BENCH_BUILD/src/gui/preview-1000" ]; then
  echo "bench: $name needs the window's build (wxWidgets)" >&2
  exit 0
fi
start_site --no-login --albums 1000 --pictures 0 --list-page-size 50 || exit 1
NO_AT_BRIDGE=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$BENCH_BUILD/src/gui/preview-1000" "$SITE_BASE" "$SITE_MEMBER" \
  2>/dev/null | grep "^$name:"
stop_site
