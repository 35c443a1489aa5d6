# The two commands a new user types: `make demo` and `make test`.
# Everything builds with CMake into build/ (executables in build/bin/).

JOBS ?= $(shell nproc)
CMAKE_CONFIGURE = cmake --preset

.PHONY: all bootstrap build test bench demo sanitize test-sanitize tsan test-tsan check-windows fuzz-build fuzz clean

all: build

bootstrap:
	@scripts/bootstrap.sh

build: bootstrap
	@test -f build/build.ninja || $(CMAKE_CONFIGURE) default
	@cmake --build build -j $(JOBS)

test: build
	@ctest --test-dir build --output-on-failure -j $(JOBS)

# Benchmarks against the reference tools, with their ratios (UPLOAD_BENCH_ARGS,
# e.g. --megabytes 64; IMAGE_BENCH_ARGS, e.g. --rounds 9).
bench: build
	@scripts/bootstrap.sh bench
	@build/bin/upload_bench $(UPLOAD_BENCH_ARGS)
	@build/bin/image_preparation_bench $(IMAGE_BENCH_ARGS)
	@build/bin/publish_run_bench $(PUBLISH_BENCH_ARGS)

demo: build
	@scripts/demo.sh

sanitize: bootstrap
	@test -f build-sanitize/build.ninja || $(CMAKE_CONFIGURE) sanitize
	@cmake --build build-sanitize -j $(JOBS)

test-sanitize: sanitize
	@ctest --test-dir build-sanitize --output-on-failure -j $(JOBS)

# The thread sanitizer over the whole suite; tests/tsan.supp names what it may
# not see into (uninstrumented system libraries).
tsan: bootstrap
	@test -f build-tsan/build.ninja || $(CMAKE_CONFIGURE) tsan
	@cmake --build build-tsan -j $(JOBS)

test-tsan: tsan
	@ctest --test-dir build-tsan --output-on-failure -j $(JOBS)

# The component's layers and the kit compiled for Windows with mingw-w64
# against the real Windows headers, object files only (windows/compile-check.sh).
check-windows:
	@scripts/bootstrap.sh windows
	@windows/compile-check.sh build-windows

# Each fuzz target, built with clang, libFuzzer and the address and
# undefined-behaviour sanitizers, runs FUZZ_SECONDS seconds. The seeds under
# fuzz/corpus/ are only read; what the fuzzer adds goes to build-fuzz/corpus/,
# and crashes to build-fuzz/findings/.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= state_stream size_text url_parts response_text soap_reply request_reader jpeg_segments
FUZZ_FLAGS ?=

fuzz-build:
	@scripts/bootstrap.sh fuzz
	@test -f build-fuzz/build.ninja || CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANA_FUZZ=ON "-DORVANA_SANITIZE=address;undefined"
	@cmake --build build-fuzz -j $(JOBS) --target $(FUZZ_TARGETS)

fuzz: fuzz-build
	@set -e; for target in $(FUZZ_TARGETS); do \
		mkdir -p build-fuzz/corpus/$$target build-fuzz/findings/$$target; \
		echo "fuzz: $$target for $(FUZZ_SECONDS) s"; \
		LC_ALL=de_DE.UTF-8 build-fuzz/fuzz/$$target -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
			-artifact_prefix=build-fuzz/findings/$$target/ $(FUZZ_FLAGS) \
			build-fuzz/corpus/$$target fuzz/corpus/$$target; \
	done

clean:
	@rm -rf build build-sanitize build-tsan build-fuzz build-windows
