# download-5000x10k: one album of 5,000 pictures of 10 KiB, our download run (15 threads) against
# aria2c -j15 fed the list file our list-only mode wrote. See download-run.bash.
source bench/download-run.bash
bench_download download-5000x10k 5000 10
