# gui-10000: the window lists 10,000 albums from the stand-in site under Xvfb while a 10 ms heartbeat
# timer runs on its interface thread; the line gives the listing's seconds, the longest stall of the
# interface thread and the peak memory of the window's process (the site runs in a process of its own).
# There is no peer: the goal is a longest stall under 100 ms.
name=gui-10000
if [ ! -x "$BENCH_BUILD/src/gui/gui-10000" ]; then
  echo "bench: $name needs the window's build (wxWidgets)" >&2
  exit 0
fi
start_site --no-login --albums 10000 --pictures 0 --list-page-size 20 || exit 1
NO_AT_BRIDGE=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$BENCH_BUILD/src/gui/gui-10000" "$SITE_BASE" "$SITE_MEMBER" \
  2>/dev/null | grep "^$name:"
stop_site
