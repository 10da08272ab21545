# Everyday commands. `make run` builds the engine and starts it in build/run, a working folder
# that holds a default vostrel.ini and the default opening book; `make test` builds and runs every
# fast test, in the Release build and again under AddressSanitizer + UndefinedBehaviorSanitizer.
# `make install PREFIX=...` installs the engine and its launcher; `make book` rebuilds the
# default opening book in data/ from its sources.

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CTEST_FLAGS ?= --output-on-failure -j $(JOBS)

PREFIX ?= /usr/local
# Sources of the default book: Debian's gnuchess-book (a Polyglot book) and a folder of PGN games.
POLYGLOT_BOOK ?= /usr/share/games/gnuchess/book.bin
BOOK_PGN_DIR ?= ../shared/testdata/pgn

.PHONY: all build pgo debug sanitize run test test-release test-sanitize test-slow soak fuzz bench perft install book clean windows test-windows

all: build

build:
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release
	cmake --build build/release -j $(JOBS)

# The Release engine trained on the bench and a perft run: an instrumented build in build/pgo-train
# writes the profile into build/profile, then build/release is rebuilt with it. `make build` keeps
# using that profile while it is there (run `make pgo` again after changing the engine).
PROFILE_DIR := $(CURDIR)/build/profile

pgo:
	rm -rf $(PROFILE_DIR) build/pgo-train/run
	cmake -S . -B build/pgo-train -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
	  -DVOSTREL_PROFILE=generate -DVOSTREL_PROFILE_DIR=$(PROFILE_DIR)
	cmake --build build/pgo-train -j $(JOBS) --target vostrel
	mkdir -p build/pgo-train/run
	cd build/pgo-train/run && ../vostrel bench >/dev/null && ../vostrel perft 6 >/dev/null
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DVOSTREL_PROFILE=auto -DVOSTREL_PROFILE_DIR=$(PROFILE_DIR)
	cmake --build build/release -j $(JOBS)

debug:
	cmake -S . -B build/debug -DCMAKE_BUILD_TYPE=Debug
	cmake --build build/debug -j $(JOBS)

sanitize:
	cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DVOSTREL_SANITIZE=ON
	cmake --build build/sanitize -j $(JOBS)

run: build
	mkdir -p build/run
	test -f build/run/vostrel.ini || cp data/vostrel.ini build/run/vostrel.ini
	cp -u data/VSbook.ind data/VSbook.dat build/run/
	cd build/run && ../release/vostrel

test: test-release test-sanitize

test-release: build
	cd build/release && ctest $(CTEST_FLAGS) -LE slow

test-sanitize: sanitize
	cd build/sanitize && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest $(CTEST_FLAGS) -LE slow

# Long checks: deep perft and long self-play (label "slow").
test-slow: build
	cd build/release && ctest --output-on-failure -L slow

# The soak: GAMES self-play games of the sanitizer build at a fast clock with a restless
# interface, shared out over SOAK_JOBS runs at once (game K always draws the same numbers, so the
# split does not change the games). Its own sanitizer build in build/soak, so that other builds
# cannot replace the binary under a running soak; logs in build/soak/logs; SOAK_FLAGS passes more options, e.g.
# "--base 2 --max-plies 160 --bonus-cs 0".
GAMES ?= 100
SOAK_JOBS ?= 1
SOAK_SEED ?= 1
SOAK_FLAGS ?=
soak:
	cmake -S . -B build/soak -DCMAKE_BUILD_TYPE=Debug -DVOSTREL_SANITIZE=ON
	cmake --build build/soak -j $(JOBS) --target vostrel vostrel_soak
	scripts/soak.sh build/soak/tests/vostrel_soak build/soak/logs $(GAMES) $(SOAK_JOBS) $(SOAK_SEED) $(SOAK_FLAGS)

# Fuzzing: the libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer) built in
# build/fuzz and run FUZZ_SECONDS each, FUZZ_JOBS at a time; FUZZ_TARGETS picks some of them.
FUZZ_SECONDS ?= 60
FUZZ_JOBS ?= 2
FUZZ_TARGETS ?=
fuzz:
	scripts/fuzz.sh $(FUZZ_SECONDS) $(FUZZ_JOBS) $(FUZZ_TARGETS)

bench: build
	build/release/vostrel bench

perft: build
	build/release/vostrel perft 6

install: build
	cmake --install build/release --prefix "$(PREFIX)"

book: build
	test -f $(POLYGLOT_BOOK) || apt-get install -y gnuchess-book || sudo apt-get install -y gnuchess-book
	test -d $(BOOK_PGN_DIR) || { echo "no PGN folder $(BOOK_PGN_DIR) (set BOOK_PGN_DIR)"; exit 1; }
	cd data && ../build/release/vostrel makebook --polyglot $(POLYGLOT_BOOK) $(abspath $(sort $(wildcard $(BOOK_PGN_DIR)/*.pgn))) > ../build/book.log
	tail -n 6 build/book.log
	ls -l data/VSbook.ind data/VSbook.dat

# Windows executables, cross-compiled with mingw-w64 and linked statically:
# build/windows64/vostrel.exe and build/windows32/vostrel.exe.
windows:
	command -v x86_64-w64-mingw32-g++ >/dev/null && command -v i686-w64-mingw32-g++ >/dev/null || \
	  { apt-get update -q && apt-get install -y g++-mingw-w64-x86-64 g++-mingw-w64-i686; } || \
	  { sudo apt-get update -q && sudo apt-get install -y g++-mingw-w64-x86-64 g++-mingw-w64-i686; }
	cmake -S . -B build/windows64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
	cmake --build build/windows64 -j $(JOBS)
	cmake -S . -B build/windows32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
	cmake --build build/windows32 -j $(JOBS)

# The Windows builds under wine (installed if missing): platform checks, perft, bench and
# protocol sessions through pipes. Not part of `make test`: wine makes it slow.
test-windows: build windows
	tests/windows/run.sh

clean:
	rm -rf build
