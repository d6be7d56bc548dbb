# download-big: one album of 6 pictures of 96 MiB each, our download run with 6 threads against aria2c -j6
# fed the list file our list-only mode wrote. Each picture streams to its file; the peak RSS shows that no
# picture is held in memory. See download-run.bash.
source bench/download-run.bash
bench_download download-big 6 98304 6
