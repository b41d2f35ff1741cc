# Every target sets up what is missing first, so each works on a fresh machine.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60
CMAKE_FLAGS ?=
PREFIX     ?= /usr/local

.PHONY: all bootstrap configure build run install test test-asan test-tsan bench fuzz format clean

all: build

bootstrap:
	@scripts/bootstrap

configure: bootstrap
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	scripts/run-demo $(BUILD)

# Programs, desktop entries, icons, the file type, the manual and the udev
# example below PREFIX (DESTDIR=... stages it for a package instead).
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The sanitizers' runtimes expect programs where a kernel without extra
# address randomisation puts them; newer kernels place them elsewhere (a crash
# at start, or "unexpected memory mapping"), so the sanitized tests run with
# randomisation off where we may ask for it (the build runs some of them too).
NO_ASLR := $(shell setarch $$(uname -m) -R true 2>/dev/null && echo setarch $$(uname -m) -R)

test-asan: bootstrap
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVOLIN_SANITIZE=ON -DTARVOLIN_BENCH=OFF
	$(NO_ASLR) cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp \
	  $(NO_ASLR) ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# Qt's own libraries are not instrumented: scripts/tsan.supp names what that hides.
# Tests start helper programs (pdftotext, xdotool) from threaded processes:
# die_after_fork=0 lets the child go on to exec them.
test-tsan: bootstrap
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVOLIN_TSAN=ON -DTARVOLIN_BENCH=OFF
	$(NO_ASLR) cmake --build $(TSAN_BUILD) -j $(JOBS)
	TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 die_after_fork=0 suppressions=$(CURDIR)/scripts/tsan.supp" \
	  $(NO_ASLR) ctest --test-dir $(TSAN_BUILD) --output-on-failure -j $(JOBS)

bench: build
	scripts/run-benchmarks $(BUILD)

fuzz: bootstrap
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVOLIN_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	scripts/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

format: bootstrap
	git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
