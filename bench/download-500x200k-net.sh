# download-500x200k-net: download-500x200k over an emulated network: the site answers after 25 ms (and 25 ms
# more on a new connection) and sends at most 4 MiB/s per connection. See download-run.bash.
source bench/download-run.bash
bench_download download-500x200k-net 500 200 15 --latency-ms 25 --rate-kbps 4096
