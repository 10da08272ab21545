#!/bin/sh
# The installed engine as an interface starts it: installed into a scratch prefix, started through
# the launcher from an unrelated folder with HOME pointing at a scratch home. The first start
# plays at once, a second start reuses the user's folder, and an edited settings file is kept.
# Usage: launcher_test.sh BUILD_DIR
set -eu
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix="$scratch/prefix"
fail() { echo "FAIL: $*" >&2; exit 1; }

# Step 1. Install.
cmake --install "$build" --prefix "$prefix" > "$scratch/install.log" || fail "install: $(cat "$scratch/install.log")"
for file in bin/vostrel bin/vostrel-engine share/vostrel/vostrel.ini share/vostrel/VSbook.ind \
            share/vostrel/VSbook.dat share/man/man6/vostrel-engine.6 share/games/plugins/xboard/vostrel.eng; do
  [ -s "$prefix/$file" ] || fail "$file not installed"
done
printf 'plugin spec 0.0\n%s/bin/vostrel-engine\nchess\n' "$prefix" | cmp -s - "$prefix/share/games/plugins/xboard/vostrel.eng" ||
  fail "engine-list entry: $(cat "$prefix/share/games/plugins/xboard/vostrel.eng")"

# Step 2. Plays its first move from the book, started from elsewhere. `play FOLDER` leaves the
# engine's output in $scratch/out.
mkdir -p "$scratch/home" "$scratch/elsewhere"
play() {
  (cd "$1" && { printf 'new\ngo\n'; sleep 2; printf 'quit\n'; } |
    env -u XDG_DATA_HOME HOME="$scratch/home" "$prefix/bin/vostrel-engine" > "$scratch/out" 2>&1) ||
    fail "the launcher failed: $(cat "$scratch/out")"
}
play "$scratch/elsewhere"
user="$scratch/home/.local/share/vostrel"
grep -q '^1\. \.\.\. [a-h][1-8][a-h][1-8]$' "$scratch/out" || fail "no move on the first start: $(cat "$scratch/out")"
grep -q 'RESTART' "$scratch/out" && fail "the first start asked for a restart"
for file in vostrel.ini VSbook.ind VSbook.dat; do
  cmp -s "$prefix/share/vostrel/$file" "$user/$file" || fail "$file not copied to the user's folder"
done
[ -e "$user/VSVOSTRL.LRN" ] || fail "the learning file is not in the user's folder"
[ -z "$(ls -A "$scratch/elsewhere")" ] || fail "files written where the interface started it: $(ls -A "$scratch/elsewhere")"

# Step 3. An edited settings file and a book of the user's own survive later starts.
sed 's/^HASHSIZE \[2 - 384 MB\]=16$/HASHSIZE [2 - 384 MB]=8/' "$user/vostrel.ini" > "$scratch/edited.ini"
cp "$scratch/edited.ini" "$user/vostrel.ini"
printf 'mine' > "$user/VSbook.dat"
play /
cmp -s "$scratch/edited.ini" "$user/vostrel.ini" || fail "the edited vostrel.ini was replaced"
[ "$(cat "$user/VSbook.dat")" = mine ] || fail "the user's book was replaced"
grep -q '^1\. \.\.\. [a-h][1-8][a-h][1-8]$' "$scratch/out" || fail "no move on the second start: $(cat "$scratch/out")"

# Step 4. XDG_DATA_HOME, when set, chooses the folder; a deleted file comes back.
rm "$user/VSbook.dat"
(cd "$scratch/elsewhere" && printf 'quit\n' | XDG_DATA_HOME="$scratch/xdg" "$prefix/bin/vostrel-engine" > /dev/null) ||
  fail "the launcher failed with XDG_DATA_HOME"
[ -s "$scratch/xdg/vostrel/vostrel.ini" ] || fail "XDG_DATA_HOME not used"
play "$scratch/elsewhere"
cmp -s "$prefix/share/vostrel/VSbook.dat" "$user/VSbook.dat" || fail "a deleted book file was not restored"
echo "launcher: all checks passed"
