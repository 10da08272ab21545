#!/bin/sh
# The Windows builds under wine: the platform checks, then perft, bench and protocol sessions
# compared with the Linux build (tests/windows/wine_checks.py). Installs wine when it is missing.
# Expects `make build windows` to have run (make test-windows does both).
set -eu
cd "$(dirname "$0")/../.."
ROOT=$(pwd)
START=$(date +%s)
WINE64=/usr/lib/wine/wine64
WINE32=/usr/lib/wine/wine

# Step 1. Wine: 64-bit, and 32-bit where the i386 packages can be had.
if [ ! -x "$WINE64" ]; then
  echo "installing wine"
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -q >/dev/null
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q wine wine64 wine32:i386 >/dev/null ||
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q wine wine64 >/dev/null
fi

# Step 2. A prefix of our own, quiet, without the .NET and HTML add-ons it would offer to fetch.
export WINEPREFIX="$ROOT/build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] || "$WINE64" wineboot --init >/dev/null 2>&1 || true

# Step 3. Each build: its platform checks, given a console through a pseudo-terminal, then the
# engine against the Linux build through pipes.
status=0
for bits in 64 32; do
  build="build/windows$bits"
  wine=$WINE64
  if [ "$bits" = 32 ]; then
    wine=$WINE32
    if ! "$wine" --version >/dev/null 2>&1; then
      echo "== 32-bit: SKIPPED, this system cannot run 32-bit wine (no wine32, or no 32-bit support in the kernel)"
      continue
    fi
  fi
  echo "== $bits-bit: platform checks"
  report="build/windows$bits/platform-check.txt"
  rm -f "$report"
  check="$wine $build/tests/windows/vostrel_platform_check.exe $report"
  if command -v script >/dev/null 2>&1; then
    script -qec "$check" /dev/null </dev/null >/dev/null 2>&1 || status=1
  else
    $check </dev/null >/dev/null 2>&1 || status=1
  fi
  cat "$report" 2>/dev/null || { echo "FAILED: no report from the platform checks"; status=1; }
  echo "== $bits-bit: perft, bench and protocol sessions"
  python3 tests/windows/wine_checks.py --linux build/release/vostrel --exe "$build/vostrel.exe" --wine "$wine" ||
    status=1
done

echo "test-windows: $(( $(date +%s) - START )) s, $([ $status = 0 ] && echo passed || echo FAILED)"
exit $status
