# The two commands a new user types: `make demo` and `make test`.
# Everything builds with CMake into build/ (executables in build/bin/).

JOBS ?= $(shell nproc)
CMAKE_CONFIGURE = cmake --preset

.PHONY: all bootstrap build test demo sanitize test-sanitize clean

all: build

bootstrap:
	@scripts/bootstrap.sh

build: bootstrap
	@test -f build/build.ninja || $(CMAKE_CONFIGURE) default
	@cmake --build build -j $(JOBS)

test: build
	@ctest --test-dir build --output-on-failure -j $(JOBS)

demo: build
	@scripts/demo.sh

sanitize: bootstrap
	@test -f build-sanitize/build.ninja || $(CMAKE_CONFIGURE) sanitize
	@cmake --build build-sanitize -j $(JOBS)

test-sanitize: sanitize
	@ctest --test-dir build-sanitize --output-on-failure -j $(JOBS)

clean:
	@rm -rf build build-sanitize build-tsan
