# Zubrik: the two commands a new user needs are `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD?= build-bench
TSAN_BUILD ?= build-tsan
FUZZ_SECONDS ?= 8
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
# Line tables only: stack traces keep their files and lines, and the builds
# take much less time than with full debug information.
LINES_ONLY := -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_DEBUG="-g1"

.PHONY: all deps build run test test-normal test-asan test-tsan test-fuzz bench clean demo-loop

all: build

deps:
	@scripts/install-deps

build: deps
	cmake $(CMAKE_GEN) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LINES_ONLY)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-main $(BUILD)

test: deps test-normal test-asan test-tsan test-fuzz

test-normal: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-asan: deps
	cmake $(CMAKE_GEN) -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DZUBRIK_SANITIZE=ON $(LINES_ONLY)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan-suppressions \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# The engine's tests under ThreadSanitizer: the audio thread and the document
# share the sequencer, and its stress test changes settings while rendering;
# the audio output's stress test drives the device callback from a fake
# sound card's thread while sources, settings and the device change.
test-tsan: deps
	cmake $(CMAKE_GEN) -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUBRIK_TSAN=ON $(LINES_ONLY)
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target test_engine
	TSAN_OPTIONS=halt_on_error=1 $(TSAN_BUILD)/tests/test_engine

test-fuzz: deps
	CC=clang-14 CXX=clang++-14 cmake $(CMAKE_GEN) -S . -B $(FUZZ_BUILD) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUBRIK_FUZZ=ON $(LINES_ONLY)
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@scripts/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: deps
	cmake $(CMAKE_GEN) -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DZUBRIK_BENCH=ON -DZUBRIK_TESTS=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	@for b in $(BENCH_BUILD)/bench/bench_*; do echo "== $$b"; $$b --benchmark_repetitions=5 --benchmark_report_aggregates_only=true || exit 1; done

demo-loop:
	python3 scripts/make-demo-loop examples/demo-loop.wav

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
