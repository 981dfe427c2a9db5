# The project's two commands, `make run` and `make test`, plus `make bench` and
# `make docs`. Each installs what is missing, configures and builds with CMake
# under build/ (`make docs` builds nothing: it only runs Doxygen).
#
#   make run    the benchmark: quellon in a window when a display is present,
#               else quellon-bench's default scenario (log, summary, screenshot)
#   make test   every test in a RelWithDebInfo build, then the package test;
#               with CI=true (as CI sets it) also an ASan+UBSan build and a TSan build of
#               everything, stopping at the first sanitizer report, and `make fuzz`
#   make test-package  the package test (scripts/test-package): installs the
#               release build into a temporary prefix, builds the consumer
#               project and the example against it, runs them headless
#   make bench  the Google Benchmark micro-benchmarks
#   make docs   the API reference of the installed headers, build/docs/html/index.html
#               (Doxygen, docs/Doxyfile); fails when Doxygen warns, e.g. about
#               an undocumented public member (the list: build/docs/warnings.log)
#   make bench-gate  Brivel against QTableView (scripts/compare-qtableview):
#               fails when a figure misses its goal by more than the noise
#               of its runs (docs/benchmarks.md)
#   make fuzz   builds the libFuzzer targets (fuzz/) with clang, ASan and
#               UBSan in build/fuzz and runs each for FUZZ_SECONDS (30);
#               part of `make test` under CI

JOBS    ?= $(shell nproc 2>/dev/null || echo 2)
BUILD   ?= build
CMAKE   ?= cmake
CTEST   ?= ctest
GEN     := -G Ninja

REL     := $(BUILD)/release
ASAN    := $(BUILD)/asan
TSAN    := $(BUILD)/tsan
DOCS    := $(BUILD)/docs
FUZZ    := $(BUILD)/fuzz

FUZZ_SECONDS ?= 30

export QT_QPA_PLATFORM ?= offscreen

SAN_ENV := ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:strict_string_checks=1 \
           UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
           LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
           TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$(CURDIR)/scripts/tsan.supp

.PHONY: all deps build run test test-release test-package test-asan test-tsan fuzz bench bench-gate docs clean

all: build

deps:
	@scripts/install-deps

$(REL)/CMakeCache.txt: | deps
	$(CMAKE) -S . -B $(REL) $(GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(REL)/CMakeCache.txt
	$(CMAKE) --build $(REL) -j $(JOBS)

run: build
	@scripts/run-benchmark $(REL)

test: test-release
	$(MAKE) --no-print-directory test-package
ifeq ($(CI),true)
	$(MAKE) --no-print-directory test-asan
	$(MAKE) --no-print-directory test-tsan
	$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=30
endif

test-release: build
	$(CTEST) --test-dir $(REL) --output-on-failure -j $(JOBS)

test-package: build
	JOBS=$(JOBS) scripts/test-package $(REL)

test-asan: deps
	$(CMAKE) -S . -B $(ASAN) $(GEN) -DCMAKE_BUILD_TYPE=Debug -DBRIVEL_SANITIZE=address \
	    -DBRIVEL_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g"
	$(CMAKE) --build $(ASAN) -j $(JOBS)
	$(SAN_ENV) $(CTEST) --test-dir $(ASAN) --output-on-failure -j $(JOBS) --stop-on-failure

test-tsan: deps
	$(CMAKE) -S . -B $(TSAN) $(GEN) -DCMAKE_BUILD_TYPE=Debug -DBRIVEL_SANITIZE=thread \
	    -DBRIVEL_COMMON_ONLY=OFF -DBRIVEL_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g"
	$(CMAKE) --build $(TSAN) -j $(JOBS)
	# ThreadSanitizer needs a low-entropy address layout on some kernels. Qt is
	# not instrumented: scripts/tsan.supp says what that hides, and why.
	$(SAN_ENV) setarch $(shell uname -m) -R $(CTEST) --test-dir $(TSAN) --output-on-failure -j $(JOBS) --stop-on-failure

# Only the fuzz targets and the libraries they link are built (brivel_fuzzers).
# clang warns about other things than g++ does; the g++ builds are the ones
# that hold warnings to errors, so a clang-only warning does not stop fuzzing.
fuzz:
	@scripts/install-deps fuzz
	$(CMAKE) -S . -B $(FUZZ) $(GEN) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
	    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DBRIVEL_FUZZ=ON -DBRIVEL_BUILD_TESTS=OFF -DBRIVEL_BUILD_BENCH=OFF \
	    -DBRIVEL_WERROR=OFF
	$(CMAKE) --build $(FUZZ) -j $(JOBS) --target brivel_fuzzers
	scripts/run-fuzzers $(FUZZ) $(FUZZ_SECONDS)

bench: build
	@scripts/run-micro-benchmarks $(REL)

# The headers the package does not install, read from the install rules so
# that the reference covers exactly the installed set.
PRIVATE_HEADERS = $(shell sed -n '/^set(BRIVEL_PRIVATE_HEADERS/,/)/p' cmake/BrivelInstall.cmake | grep -o '[A-Za-z0-9_/]*\.h')

docs:
	@scripts/install-deps docs
	rm -rf $(DOCS) && mkdir -p $(DOCS)
	BRIVEL_DOCS_OUT=$(DOCS) BRIVEL_PRIVATE_HEADERS="$(PRIVATE_HEADERS)" doxygen docs/Doxyfile
	@if [ -s $(DOCS)/warnings.log ]; then head -n 100 $(DOCS)/warnings.log; \
	    echo "make docs: $$(grep -c 'warning:' $(DOCS)/warnings.log) Doxygen warnings (see $(DOCS)/warnings.log)"; exit 1; fi
	@echo "make docs: $(DOCS)/html/index.html"

bench-gate: build
	scripts/compare-qtableview --build $(REL) --gate --no-docs

clean:
	rm -rf $(BUILD)
