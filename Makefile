# The two commands a newcomer needs: `make run` and `make test`.
BUILD  ?= build
SANITIZED ?= build-sanitizers
JOBS   ?= $(shell nproc)
PREFIX ?= /usr/local

.PHONY: deps configure build run test sanitizers bench install package clean

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

# The suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer, leaks included.
sanitizers: deps
	cmake -S . -B $(SANITIZED) -DCMAKE_BUILD_TYPE=Debug -DRUNLOG_SANITIZE=ON
	cmake --build $(SANITIZED) -j $(JOBS)
	cd $(SANITIZED) && QT_QPA_PLATFORM=offscreen UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

package: build
	cd $(BUILD) && cpack -G DEB

bench: build
	scripts/run-bench $(BUILD)

clean:
	rm -rf $(BUILD) $(SANITIZED)
