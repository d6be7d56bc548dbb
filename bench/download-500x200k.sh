# download-500x200k: one album of 500 pictures of 200 KiB, our download run (15 threads) against
# aria2c -j15 fed the list file our list-only mode wrote. See download-run.bash.
source bench/download-run.bash
bench_download download-500x200k 500 200
