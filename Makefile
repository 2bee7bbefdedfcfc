# Tovi: the two everyday commands are `make run` and `make test`.
BUILD_DIR      ?= build
ASAN_BUILD_DIR ?= build-asan
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS   ?= 60
CMAKE_FLAGS    ?=

.PHONY: all deps configure build run test package bench asan-test fuzz format clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

build: configure
	@cmake --build $(BUILD_DIR)

run: build
	@$(BUILD_DIR)/app/tovi

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure
	@scripts/test-ratio

# The Debian package $(BUILD_DIR)/tovi_<version>_<arch>.deb, for apt install.
package: build
	@cmake --build $(BUILD_DIR) --target package

bench: build
	@scripts/run-benchmarks $(BUILD_DIR)

# The whole test suite once more, built with AddressSanitizer and UndefinedBehaviorSanitizer.
asan-test: deps
	@cmake -S . -B $(ASAN_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOVI_SANITIZE=ON -DTOVI_WERROR=ON
	@cmake --build $(ASAN_BUILD_DIR)
	@cd $(ASAN_BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure

# The libFuzzer targets, each run for FUZZ_SECONDS with both sanitizers.
fuzz: deps
	@cmake -S . -B $(FUZZ_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DTOVI_FUZZ=ON -DTOVI_WERROR=ON
	@cmake --build $(FUZZ_BUILD_DIR) --target fuzz_assembler fuzz_simulator
	@scripts/run-fuzzer $(FUZZ_BUILD_DIR)/fuzz/fuzz_assembler $(FUZZ_SECONDS)
	@scripts/run-fuzzer $(FUZZ_BUILD_DIR)/fuzz/fuzz_simulator $(FUZZ_SECONDS) fuzz/corpus-sim

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD_DIR) $(ASAN_BUILD_DIR) $(FUZZ_BUILD_DIR)
