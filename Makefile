# make run   — install what is missing, build, start the program
# make test  — install what is missing, build, run every test
# make bench — install what is missing, build, build and run the benchmarks
# make stress — kills and simultaneous writers against the logbook, with what went wrong counted
# make lint  — clang-tidy over every source (after a build); make lint-changed — over what changed since the last
#              full lint (.ci/lint-baseline), as CI does
# make package — the Debian package build/korvelanta_<version>_amd64.deb
BUILD_DIR ?= build
JOBS ?= 2
# Ninja; a build folder another generator made is configured anew (its outputs stay).
GENERATOR := $(shell grep -s '^CMAKE_GENERATOR:INTERNAL=' $(BUILD_DIR)/CMakeCache.txt | cut -d= -f2)
# Sub-makes (CMake's own Makefiles) say nothing about the directories they enter.
MAKEFLAGS += --no-print-directory

.PHONY: all setup configure build run test unit bench stress lint lint-changed package format format-check clean

all: build

setup:
	@bash scripts/setup.sh

configure: setup
	@if [ -n "$(GENERATOR)" ] && [ "$(GENERATOR)" != "Ninja" ]; then rm -rf $(BUILD_DIR)/CMakeCache.txt $(BUILD_DIR)/CMakeFiles; fi
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD_DIR)

# Tests run side by side: each has its own logbook folder and office; the ones that watch the screen have
# a display of their own.
test: build
	@cd $(BUILD_DIR) && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j $(JOBS)

# The tests that need no office.
unit: build
	@cd $(BUILD_DIR) && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -L unit

bench: build
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target benchmarks
	@bash scripts/bench.sh $(BUILD_DIR)

# Random kills of the CLI and of its office, simultaneous writers; counts what went wrong (long). Then
# many more generated shifts calculated, written and checked than `make test` draws.
stress: build
	@xvfb-run -a -s "-screen 0 1280x1024x24" $(BUILD_DIR)/tests/stress_logbook
	@KORV_BIN_DIR=$(abspath $(BUILD_DIR))/bin KORV_PROPERTY_SHIFTS=40000 KORV_PROPERTY_STEPS=400 \
		$(BUILD_DIR)/tests/test_calculation_agrees --gtest_filter='*NoError*'

package: build
	@cd $(BUILD_DIR) && cpack -G DEB

lint: build
	@JOBS=$(JOBS) bash scripts/lint.sh $(BUILD_DIR) all

lint-changed: build
	@JOBS=$(JOBS) bash scripts/lint.sh $(BUILD_DIR) changed

format:
	@git ls-files --cached --others --exclude-standard '*.h' '*.cpp' | xargs clang-format -i

format-check:
	@git ls-files '*.h' '*.cpp' | xargs clang-format --dry-run -Werror

clean:
	@rm -rf $(BUILD_DIR)
