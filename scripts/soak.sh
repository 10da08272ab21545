#!/bin/sh
# Runs the soak program over GAMES games in JOBS runs at once and adds up their totals.
#   soak.sh PROGRAM LOGDIR GAMES JOBS SEED [more options]
set -u
program=$1 logdir=$2 games=$3 jobs=$4 seed=$5
shift 5
mkdir -p "$logdir"
rm -f "$logdir"/soak-*.log
# Step 1. The runs, each with its own share of the game numbers.
first=0
job=0
while [ "$job" -lt "$jobs" ]; do
  count=$(( (games - first) / (jobs - job) ))
  UBSAN_OPTIONS=print_stacktrace=1 "$program" --games "$count" --first "$first" --seed "$seed" "$@" \
    > "$logdir/soak-$job.log" 2>&1 &
  first=$((first + count))
  job=$((job + 1))
done
wait
# Step 2. The games with a fault, and the totals.
grep -h "FAULT" "$logdir"/soak-*.log
grep -h "^TOTALS" "$logdir"/soak-*.log | awk '
  { for (i = 2; i <= NF; i++) { split($i, kv, "="); sum[kv[1]] += kv[2]; order[i] = kv[1] } n = NF }
  END {
    printf "soak:"; for (i = 2; i <= n; i++) printf " %s %d", order[i], sum[order[i]]; printf "\n"
    bad = sum["illegal"] + sum["crashes"] + sum["hangs"] + sum["timelosses"] + sum["sanitizer"] + sum["protocol"]
    exit bad > 0 }'
