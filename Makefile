# make run   — install what is missing, build, start the program
# make test  — install what is missing, build, run every test
# make bench — install what is missing, build, run the benchmarks
BUILD_DIR ?= build
JOBS ?= 2

.PHONY: all setup configure build run test bench clean format

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

bench: build
	@bash scripts/bench.sh $(BUILD_DIR)

format:
	@find src tests bench tools -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD_DIR)
