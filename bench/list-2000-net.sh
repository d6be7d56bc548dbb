# list-2000-net: list-2000 over an emulated network: the site answers after 25 ms (and 25 ms more on a new
# connection). See list-run.bash.
source bench/list-run.bash
bench_list list-2000-net --latency-ms 25
