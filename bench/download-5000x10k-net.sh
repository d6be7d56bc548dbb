# download-5000x10k-net: download-5000x10k over an emulated network: the site answers after 25 ms (and 25 ms
# more on a new connection) and sends at most 4 MiB/s per connection. See download-run.bash.
source bench/download-run.bash
bench_download download-5000x10k-net 5000 10 15 --latency-ms 25 --rate-kbps 4096
