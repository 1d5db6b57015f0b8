# make run   — install what is missing, build, start the program
# make test  — install what is missing, build, run every test
# make bench — install what is missing, build, run the benchmarks
# make stress — kills and simultaneous writers against the logbook, with what went wrong counted
# make lint  — clang-tidy over the sources (after a build)
# make package — the Debian package build/korvelanta_<version>_amd64.deb
BUILD_DIR ?= build
JOBS ?= 2
# Sub-makes (CMake's own Makefiles) say nothing about the directories they enter.
MAKEFLAGS += --no-print-directory

.PHONY: all setup configure build run test unit bench stress lint package format format-check clean

all: build

setup:
	@bash scripts/setup.sh

configure: setup
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD_DIR)

test: build
	@cd $(BUILD_DIR) && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j 1

# The tests that need no office.
unit: build
	@cd $(BUILD_DIR) && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -L unit

bench: build
	@bash scripts/bench.sh $(BUILD_DIR)

# Random kills of the CLI and of its office, simultaneous writers; counts what went wrong (long).
stress: build
	@xvfb-run -a -s "-screen 0 1280x1024x24" $(BUILD_DIR)/tests/stress_logbook

package: build
	@cd $(BUILD_DIR) && cpack -G DEB

lint: build
	@git ls-files 'src/*.cpp' 'tools/*.cpp' | xargs -P $(JOBS) -n 4 clang-tidy -p $(BUILD_DIR) --quiet

format:
	@git ls-files --cached --others --exclude-standard '*.h' '*.cpp' | xargs clang-format -i

format-check:
	@git ls-files '*.h' '*.cpp' | xargs clang-format --dry-run -Werror

clean:
	@rm -rf $(BUILD_DIR)
