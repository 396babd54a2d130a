# Front door. `make run` starts the controller, `make test` runs every test.
# Both install what is missing first (scripts/install-deps.sh).

BUILD      := build
TEST_BUILD := build/asan
JOBS       ?= $(shell nproc)
CMAKE_GEN  := cmake -G "Unix Makefiles"
MAKEFLAGS  += --no-print-directory

.PHONY: all deps build test run demo bench fuzz soak install clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	@$(CMAKE_GEN) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIBRANO_TESTS=OFF >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# The test build: warnings as errors, AddressSanitizer and UBSan.
test: deps
	@$(CMAKE_GEN) -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUIBRANO_SANITIZE=ON >/dev/null
	@cmake --build $(TEST_BUILD) -j $(JOBS)
	@ctest --test-dir $(TEST_BUILD) --output-on-failure -j $(JOBS)

run: build
	@bash scripts/run.sh

demo: build
	@bash scripts/demo.sh

bench: deps
	@$(CMAKE_GEN) -S . -B build/bench-build -DCMAKE_BUILD_TYPE=Release -DQUIBRANO_TESTS=OFF -DQUIBRANO_BENCH=ON >/dev/null
	@cmake --build build/bench-build -j $(JOBS)
	@bash scripts/bench.sh

FUZZ_SECONDS ?= 60
fuzz: deps
	@CXX=clang++ $(CMAKE_GEN) -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIBRANO_TESTS=OFF -DQUIBRANO_FUZZ=ON >/dev/null
	@cmake --build build/fuzz -j $(JOBS)
	@FUZZ_SECONDS=$(FUZZ_SECONDS) bash scripts/fuzz.sh

SOAK_SECONDS ?= 900
soak: build
	@SOAK_SECONDS=$(SOAK_SECONDS) bash scripts/soak.sh

PREFIX ?= /usr/local
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD)
