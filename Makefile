# The front door: `make demo` (the main job) and `make test` (all tests).
# Each target installs what it needs first (Debian packages, as root) and is
# safe to run again.

BUILD      := build
WIN32_DIR  := $(BUILD)/win32
NATIVE_DIR := $(BUILD)/native
ASAN_DIR   := $(BUILD)/native-asan
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
# Wine-run tests of one process each; two at a time per core keeps both busy
# while Wine starts processes.
# Under load Wine 8 now and then kills a test process as it exits, after the
# test passed (CTest sees "SegFault"; no Windows exception is raised): a
# failed test gets one more run, which a real failure fails again.
CTEST_WIN  := ctest --test-dir $(WIN32_DIR) -j$$(( $(JOBS) * 2 )) --output-on-failure --timeout 600 --repeat until-pass:2
CTEST_NAT  := --output-on-failure -j$(JOBS) --timeout 600

.PHONY: all bootstrap win32 native native-asan test test-win32 test-native test-fuzz demo screenshots bench fuzz clean

all: win32 native

bootstrap:
	@scripts/bootstrap.sh

$(WIN32_DIR)/build.ninja: | bootstrap
	cmake -S . -B $(WIN32_DIR) $(CMAKE_GEN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32.cmake -Wno-dev

$(NATIVE_DIR)/build.ninja: | bootstrap
	cmake -S . -B $(NATIVE_DIR) $(CMAKE_GEN) -Wno-dev

$(ASAN_DIR)/build.ninja: | bootstrap
	cmake -S . -B $(ASAN_DIR) $(CMAKE_GEN) -DSETUP_SANITIZE=address,undefined -DCMAKE_BUILD_TYPE=Debug -Wno-dev

win32: bootstrap $(WIN32_DIR)/build.ninja
	cmake --build $(WIN32_DIR) -j$(JOBS)

native: bootstrap $(NATIVE_DIR)/build.ninja
	cmake --build $(NATIVE_DIR) -j$(JOBS)

native-asan: bootstrap $(ASAN_DIR)/build.ninja
	cmake --build $(ASAN_DIR) -j$(JOBS)

test-native: native native-asan
	ctest --test-dir $(NATIVE_DIR) $(CTEST_NAT)
	ctest --test-dir $(ASAN_DIR) $(CTEST_NAT)

# One Xvfb for the whole run when there is no display; the Wine server of the
# test prefix is stopped afterwards so nothing outlives the run.
test-win32: win32
	scripts/with-display.sh $(CTEST_WIN); status=$$?; \
	  WINEPREFIX=$(abspath $(WIN32_DIR))/wineprefix wineserver -k 2>/dev/null; exit $$status

# A few seconds of every fuzz target, so a broken harness shows in CI.
FUZZ_SMOKE_SECONDS ?= 3
test-fuzz: bootstrap
	scripts/fuzz.sh $(FUZZ_SMOKE_SECONDS)

test: test-fuzz test-native test-win32

demo: win32
	scripts/demo.sh $(WIN32_DIR)

screenshots: win32
	scripts/screenshots.sh $(WIN32_DIR)

# Extraction speed beside Info-ZIP unzip, bsdtar, 7z and Python's zipfile;
# then unzipper.exe beside an NSIS installer of the same payload under Wine.
bench: native win32
	python3 bench/run_bench.py $(NATIVE_DIR)
	scripts/with-display.sh python3 bench/wine_bench.py $(WIN32_DIR)

# The uninstall log's writer beside key-by-key profile writes, under Wine in a prefix of its own.
.PHONY: bench-uninstall-log
bench: bench-uninstall-log
bench-uninstall-log: win32
	scripts/wine-run.sh --prefix $(BUILD)/bench-wineprefix $(WIN32_DIR)/bench/uninstall_log/uninstall_log_bench.exe; \
	  status=$$?; WINEPREFIX=$(abspath $(BUILD))/bench-wineprefix wineserver -k 2>/dev/null; exit $$status

# libFuzzer targets on their corpora, FUZZ_SECONDS each.
FUZZ_SECONDS ?= 300
fuzz: bootstrap
	scripts/fuzz.sh $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD)
