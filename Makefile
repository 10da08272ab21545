# Everyday commands. `make run` builds the engine and starts it in build/run, a working folder
# that holds a default vostrel.ini; `make test` builds and runs every fast test, in the Release
# build and again under AddressSanitizer + UndefinedBehaviorSanitizer.

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CTEST_FLAGS ?= --output-on-failure -j $(JOBS)

.PHONY: all build pgo debug sanitize run test test-release test-sanitize test-slow bench perft clean

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
	cd build/run && ../release/vostrel

test: test-release test-sanitize

test-release: build
	cd build/release && ctest $(CTEST_FLAGS) -LE slow

test-sanitize: sanitize
	cd build/sanitize && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest $(CTEST_FLAGS) -LE slow

# Long checks: deep perft and long self-play (label "slow").
test-slow: build
	cd build/release && ctest --output-on-failure -L slow

bench: build
	build/release/vostrel bench

perft: build
	build/release/vostrel perft 6

clean:
	rm -rf build
