# The commands a newcomer needs: `make run`, `make test` (everyday) and `make check` (CI).
BUILD  ?= build
SANITIZED ?= build-sanitizers
FUZZ   ?= build-fuzz
JOBS   ?= $(shell nproc)
# The suite mostly waits on pseudo-terminals and pauses, so it runs more tests than cores.
TEST_JOBS ?= $(shell echo $$(( $(JOBS) * 2 )))
PREFIX ?= /usr/local
FUZZ_SECONDS ?= 60

# No "Entering directory" lines from the makes CMake starts.
MAKEFLAGS += --no-print-directory
banner = @printf '==> %s\n' "$(1)"

.PHONY: deps check-deps configure build run test check sanitizers fuzz fuzz-build bench install uninstall \
        package package-check clean

deps:
	$(call banner,dependencies)
	@scripts/install-deps

check-deps:
	$(call banner,dependencies of the checks)
	@scripts/install-deps check

# Configured once; later builds re-run CMake themselves when a CMakeLists.txt changes.
# Optimised as Debian builds (-O2), without debug information, which would cost a third
# of the build's time: the sanitizer build has it, for the traces it prints.
$(BUILD)/CMakeCache.txt:
	$(call banner,configuring $(BUILD))
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" >/dev/null

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	$(call banner,building)
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-demo $(BUILD)

test: build
	$(call banner,suite)
	@cd $(BUILD) && ctest --output-on-failure --progress -j $(TEST_JOBS)
	$(call banner,package check)
	@packaging/check-package $(BUILD)

# What CI runs: the everyday test, then the suite built with AddressSanitizer and
# UndefinedBehaviorSanitizer, then each fuzzing harness for 15 s.
check: check-deps test
	@$(MAKE) sanitizers
	@$(MAKE) fuzz FUZZ_SECONDS=15

# The suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer, leaks included.
sanitizers: check-deps
	$(call banner,building with sanitizers)
	@cmake -S . -B $(SANITIZED) -DCMAKE_BUILD_TYPE=Debug -DRUNLOG_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZED) -j $(JOBS)
	$(call banner,suite with sanitizers)
	@cd $(SANITIZED) && UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure --progress -j $(TEST_JOBS)

# Each libFuzzer harness (tests/fuzz) for FUZZ_SECONDS from its seed corpus; a crash fails.
fuzz-build: check-deps
	$(call banner,building the fuzzing harnesses)
	@CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRUNLOG_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ) -j $(JOBS) --target fuzzers

fuzz: fuzz-build
	$(call banner,fuzzing $(FUZZ_SECONDS) s per harness)
	@scripts/run-fuzz $(FUZZ) $(FUZZ_SECONDS)

# The list of what was installed is kept as $(BUILD)/installed.txt: CMake's own
# install_manifest.txt is rewritten by every package build (make test makes one).
install: build
	$(call banner,installing into $(DESTDIR)$(PREFIX))
	@cmake --install $(BUILD) --prefix $(PREFIX)
	@cp $(BUILD)/install_manifest.txt $(BUILD)/installed.txt

# Removes what the last `make install` put in place (give the same DESTDIR).
uninstall:
	$(call banner,removing the files $(BUILD)/installed.txt lists)
	@sed 's|^|$(DESTDIR)|' $(BUILD)/installed.txt | xargs -d '\n' rm -fv

package: build
	$(call banner,package)
	@cd $(BUILD) && cpack -G DEB

package-check: build
	$(call banner,package check)
	@packaging/check-package $(BUILD)

bench: build
	$(call banner,benchmarks)
	@cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	@scripts/run-bench $(BUILD)

clean:
	rm -rf $(BUILD) $(SANITIZED) $(FUZZ)
