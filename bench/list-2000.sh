# list-2000: albatrix-cli lists 2,000 albums over 100 pages against curl fetching the same pages. See
# list-run.bash.
source bench/list-run.bash
bench_list list-2000
