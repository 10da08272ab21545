#!/bin/sh
# Builds the libFuzzer targets with clang (installing clang when it is missing), makes their seed
# corpora from the tests' data and runs every target for SECONDS, JOBS targets at a time.
#   fuzz.sh SECONDS JOBS [TARGET...]
# Findings (crash-, leak-, timeout-, oom- files) go to build/fuzz/artifacts/TARGET/, inputs that
# took over ten seconds as slow-unit- files; the corpora in build/fuzz/corpus/ grow from run to
# run. The exit status is 1 when a target found anything.
set -eu
seconds=$1
jobs=$2
shift 2
targets=${*:-setup ini pgn book learning commands polyglot}
# Absolute paths: the targets work in scratch folders of their own.
build=$(pwd)/build/fuzz
data=$(pwd)/tests/data
source=$(pwd)

# Step 1. clang with the libFuzzer runtime.
probe() {
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' |
    clang++ -x c++ -fsanitize=fuzzer,address,undefined - -o "$build/probe" 2>/dev/null
}
mkdir -p "$build"
if ! command -v clang++ >/dev/null 2>&1 || ! probe; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get install -y clang libclang-rt-14-dev
  probe
fi

# Step 2. The targets.
CXX=clang++ cmake -S fuzz -B "$build" -DCMAKE_BUILD_TYPE=None > /dev/null
cmake --build "$build" -j "$jobs"

# Step 3. Seed corpora from the tests' data.
seeds=$build/seeds
rm -rf "$seeds"
for target in setup ini pgn book learning commands polyglot; do mkdir -p "$seeds/$target" "$build/corpus/$target"; done
# Positions: the FEN part of the EPD lines.
for epd in "$data"/*.epd; do
  name=$(basename "$epd" .epd)
  awk -F';' -v dir="$seeds/setup" -v name="$name" '{ sub(/ +$/, "", $1); file = dir "/" name "-" NR; printf "%s", $1 > file; close(file) }' "$epd"
done
# The ini file and two changed copies.
cp "$data/../../data/vostrel.ini" "$seeds/ini/default"
sed 's/=16$/=384/; s/=ON$/=OFF/' "$data/../../data/vostrel.ini" > "$seeds/ini/changed"
head -8 "$data/../../data/vostrel.ini" > "$seeds/ini/short"
# PGN: every file whole and every game alone.
for pgn in "$data"/*.pgn; do
  name=$(basename "$pgn" .pgn)
  cp "$pgn" "$seeds/pgn/$name"
  awk -v dir="$seeds/pgn" -v name="$name" '/^\[Event /{ n++ } { print > (dir "/" name "-" n) }' "$pgn"
done
# Book: the book of the test games, built by the fuzz build of the book builder (a run of the PGN
# target on one file leaves VSbook.ind and VSbook.dat in its working folder).
bookdir=$(mktemp -d)
cat "$data"/*.pgn > "$bookdir/games.pgn"
(cd "$bookdir" && TMPDIR="$bookdir" "$build/fuzz_pgn" games.pgn > /dev/null 2>&1 || true)
index=$(find "$bookdir" -name VSbook.ind | head -1)
if [ -n "$index" ]; then
  size=$(wc -c < "$index")
  # The first two bytes give the index file's length (little-endian), the data file follows it.
  printf "\\$(printf %o $((size % 256)))\\$(printf %o $((size / 256 % 256)))" > "$seeds/book/test-games"
  cat "$index" "$(dirname "$index")/VSbook.dat" >> "$seeds/book/test-games"
fi
rm -rf "$bookdir"
# Learning: an empty file, a bare header, and a header with two records.
: > "$seeds/learning/empty"
printf '\001\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000' > "$seeds/learning/header"
{ printf '\003\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000'
  printf '\021\042\063\104\125\146\167\010\031\000\001\006\000\000\034\003'
  printf '\001\002\003\004\005\006\007\010\347\377\001\007\001\000\064\014'; } > "$seeds/learning/records"
# Polyglot: a small sound book written by the target itself.
VOSTREL_POLYGLOT_SEED="$seeds/polyglot/start" "$build/fuzz_polyglot" -runs=0 > /dev/null 2>&1 || true
# Command streams: each seed file with a leading 0 (read in pieces as large as the engine asks
# for) and with a leading 7 (pieces of seven bytes).
for seed in fuzz/seeds/commands/*; do
  name=$(basename "$seed")
  { printf '\000'; cat "$seed"; } > "$seeds/commands/$name-whole"
  { printf '\007'; cat "$seed"; } > "$seeds/commands/$name-pieces"
done

# Step 4. The runs, in rounds of JOBS targets. The targets write their files in scratch folders under
# TMPDIR: a memory file system if there is one, since truncating files on disk is slow.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
logs=$build/logs
mkdir -p "$logs"
run() {
  target=$1
  case $target in
    commands) extra="-max_len=1024 -timeout=60 -dict=$source/fuzz/commands.dict" ;;
    pgn) extra="-max_len=8192 -timeout=30" ;;
    *) extra="-max_len=4096 -timeout=30" ;;
  esac
  mkdir -p "$build/artifacts/$target"
  # shellcheck disable=SC2086
  "$build/fuzz_$target" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 $extra \
    -artifact_prefix="$build/artifacts/$target/" "$build/corpus/$target" "$seeds/$target" > "$logs/$target.log" 2>&1 || true
}
running=0
for target in $targets; do
  run "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait
    running=0
  fi
done
wait

# Step 5. Per target: the last status line (edges covered, corpus size, executions per second)
# and the findings.
found=0
for target in $targets; do
  status=$(grep -E '^#[0-9]+' "$logs/$target.log" | tail -1)
  execs=$(grep -E '^stat::average_exec_per_sec' "$logs/$target.log" | awk '{ print $2 }')
  findings=$(find "$build/artifacts/$target" -type f ! -name 'slow-unit-*' | wc -l)
  slow=$(find "$build/artifacts/$target" -type f -name 'slow-unit-*' | wc -l)
  printf '%-9s %s | exec/s %s | findings %s (slow inputs %s)\n' "$target" "$status" "${execs:-?}" "$findings" "$slow"
  [ "$findings" -eq 0 ] || found=1
done
exit $found
