# The two commands a newcomer needs: `make run` and `make test`.
BUILD  ?= build
SANITIZED ?= build-sanitizers
FUZZ   ?= build-fuzz
JOBS   ?= $(shell nproc)
PREFIX ?= /usr/local

.PHONY: deps configure build run test sanitizers fuzz fuzz-build bench install package clean

deps:
	scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	scripts/run-demo $(BUILD)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
	packaging/check-package $(BUILD)
	$(MAKE) sanitizers
	$(MAKE) fuzz FUZZ_SECONDS=15

# The suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer, leaks included.
sanitizers: deps
	cmake -S . -B $(SANITIZED) -DCMAKE_BUILD_TYPE=Debug -DRUNLOG_SANITIZE=ON
	cmake --build $(SANITIZED) -j $(JOBS)
	cd $(SANITIZED) && QT_QPA_PLATFORM=offscreen UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS)

# Each libFuzzer harness (tests/fuzz) for a minute from its seed corpus; a crash fails.
FUZZ_SECONDS ?= 60
fuzz-build: deps
	CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRUNLOG_FUZZ=ON
	cmake --build $(FUZZ) -j $(JOBS) --target fuzzers

fuzz: fuzz-build
	scripts/run-fuzz $(FUZZ) $(FUZZ_SECONDS)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

package: build
	cd $(BUILD) && cpack -G DEB

bench: build
	scripts/run-bench $(BUILD)

clean:
	rm -rf $(BUILD) $(SANITIZED) $(FUZZ)
