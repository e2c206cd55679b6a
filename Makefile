# The front door: `make demo` (the main job) and `make test` (all tests).
# Each target installs what it needs first (Debian packages, as root) and is
# safe to run again.

BUILD      := build
WIN32_DIR  := $(BUILD)/win32
WIN64_DIR  := $(BUILD)/win64
NATIVE_DIR := $(BUILD)/native
ASAN_DIR   := $(BUILD)/native-asan
TSAN_DIR   := $(BUILD)/native-tsan
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
# Wine-run tests of one process each; two at a time per core keeps both busy
# while Wine starts processes.
# Under load Wine 8 now and then kills a test process as it exits, after the
# test passed (CTest sees "SegFault"; no Windows exception is raised): a
# failed test gets one more run, which a real failure fails again.
CTEST_WIN  := -j$$(( $(JOBS) * 2 )) --output-on-failure --timeout 600 --repeat until-pass:2
CTEST_NAT  := --output-on-failure -j$(JOBS) --timeout 600
# The Windows build whose programs run here (win32 where this machine starts
# Wine's 32-bit loader, else win64; WINDOWS_BUILD=win32|win64 forces one),
# chosen when a recipe runs, after the bootstrap has installed Wine.
CHOOSE_WINDOWS := windows=$$(scripts/windows-build.sh) || exit 1
export WINDOWS_BUILD

.PHONY: all bootstrap win32 win64 windows native native-asan native-tsan \
        test test-windows test-win32 test-win64 test-native test-fuzz test-release demo \
        screenshots bench fuzz release release-programs verify-release clean

all: windows native

bootstrap:
	@scripts/bootstrap.sh

$(WIN32_DIR)/build.ninja: | bootstrap
	cmake -S . -B $(WIN32_DIR) $(CMAKE_GEN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32.cmake -Wno-dev

$(WIN64_DIR)/build.ninja: | bootstrap
	cmake -S . -B $(WIN64_DIR) $(CMAKE_GEN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw64.cmake -Wno-dev

$(NATIVE_DIR)/build.ninja: | bootstrap
	cmake -S . -B $(NATIVE_DIR) $(CMAKE_GEN) -Wno-dev

$(ASAN_DIR)/build.ninja: | bootstrap
	cmake -S . -B $(ASAN_DIR) $(CMAKE_GEN) -DSETUP_SANITIZE=address,undefined -DCMAKE_BUILD_TYPE=Debug -Wno-dev

# ThreadSanitizer (clang): the component decodes on a second thread.
$(TSAN_DIR)/build.ninja: | bootstrap
	cmake -S . -B $(TSAN_DIR) $(CMAKE_GEN) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DSETUP_SANITIZE=thread -Wno-dev

win32: bootstrap $(WIN32_DIR)/build.ninja
	cmake --build $(WIN32_DIR) -j$(JOBS)

win64: bootstrap $(WIN64_DIR)/build.ninja
	cmake --build $(WIN64_DIR) -j$(JOBS)

# Both Windows builds always compile, whichever of them runs here.
windows: win32 win64

native: bootstrap $(NATIVE_DIR)/build.ninja
	cmake --build $(NATIVE_DIR) -j$(JOBS)

native-asan: bootstrap $(ASAN_DIR)/build.ninja
	cmake --build $(ASAN_DIR) -j$(JOBS)

native-tsan: bootstrap $(TSAN_DIR)/build.ninja
	cmake --build $(TSAN_DIR) -j$(JOBS)

# The release's tests (label "release") need the win32 programs: test-release runs them.
test-native: native native-asan native-tsan
	ctest --test-dir $(NATIVE_DIR) $(CTEST_NAT) -LE release
	ctest --test-dir $(ASAN_DIR) $(CTEST_NAT)
	ctest --test-dir $(TSAN_DIR) $(CTEST_NAT)

# Both Setup.exe files are checked (GUI program, manifest, imports: no Wine
# needed), and every program of both builds is hardened; then the whole
# Windows suite of the build this machine runs, under one Xvfb when there is
# no display. The Wine server of the test prefix is
# stopped afterwards so nothing outlives the run.
test-windows: windows
	@$(CHOOSE_WINDOWS); \
	for build in $(WIN32_DIR) $(WIN64_DIR); do \
	  tests/check_setup_exe.sh $$build/Setup.exe && tests/check_hardening.sh $$build || exit 1; done; \
	scripts/with-display.sh ctest --test-dir $(BUILD)/$$windows $(CTEST_WIN); status=$$?; \
	  scripts/wine-stop.sh $(BUILD)/$$windows/wineprefix; exit $$status

# One Windows build's suite, whatever this machine would choose.
test-win32 test-win64: test-%: %
	WINDOWS_BUILD=$* $(MAKE) --no-print-directory test-windows

# A few seconds of every fuzz target, so a broken harness shows in CI.
FUZZ_SMOKE_SECONDS ?= 3
test-fuzz: bootstrap
	scripts/fuzz.sh $(FUZZ_SMOKE_SECONDS)

# A test-signed release of the demo, checked and tampered with, and the
# shipped programs built a second time in another folder and compared.
test-release: release-programs native
	ctest --test-dir $(NATIVE_DIR) --output-on-failure -j$(JOBS) -L release

test: test-fuzz test-native test-windows test-release

# The demo, screenshots and benchmark use the Windows build this machine runs.
demo: bootstrap
	@$(CHOOSE_WINDOWS); $(MAKE) --no-print-directory $$windows && scripts/demo.sh $(BUILD)/$$windows

screenshots: bootstrap
	@$(CHOOSE_WINDOWS); $(MAKE) --no-print-directory $$windows && scripts/screenshots.sh $(BUILD)/$$windows

# Extraction speed beside Info-ZIP unzip, bsdtar, 7z and Python's zipfile;
# then unzipper.exe beside an NSIS installer of the same payload under Wine.
bench: native bootstrap
	python3 bench/run_bench.py $(NATIVE_DIR)
	@$(CHOOSE_WINDOWS); $(MAKE) --no-print-directory $$windows && \
	  scripts/with-display.sh python3 bench/wine_bench.py $(BUILD)/$$windows

# The uninstall log's writer beside key-by-key profile writes, under Wine in a prefix of its own.
.PHONY: bench-uninstall-log
bench: bench-uninstall-log
bench-uninstall-log: bootstrap
	@$(CHOOSE_WINDOWS); $(MAKE) --no-print-directory $$windows && \
	scripts/wine-run.sh --arch $$windows --prefix $(BUILD)/bench-wineprefix-$$windows \
	  $(BUILD)/$$windows/bench/uninstall_log/uninstall_log_bench.exe; \
	  status=$$?; scripts/wine-stop.sh $(BUILD)/bench-wineprefix-$$windows; exit $$status

# libFuzzer targets on their corpora, FUZZ_SECONDS each.
FUZZ_SECONDS ?= 300
fuzz: bootstrap
	scripts/fuzz.sh $(FUZZ_SECONDS)

# A release a shipper can publish (docs/shipping.md, "Releases"): the 32-bit
# build's setup folder zipped, every program signed, SHA256SUMS, the winget
# manifests, in build/release/. The certificate and the rest come from
# SIGN_PKCS12 and SIGN_PASSWORD_FILE, or SIGN_PKCS11_MODULE, SIGN_KEY and
# SIGN_CERTS; SIGN_TIMESTAMP_URL, SIGN_ROOT, RELEASE_URL (given on the
# command line or in the environment). Without a certificate it is test-signed.
RELEASE_DIR := $(BUILD)/release
release-programs: bootstrap $(WIN32_DIR)/build.ninja $(NATIVE_DIR)/build.ninja
	cmake --build $(WIN32_DIR) -j$(JOBS) --target release_programs
	cmake --build $(NATIVE_DIR) -j$(JOBS) --target setupcheck

release: release-programs
	SETUPCHECK=$(NATIVE_DIR)/setupcheck scripts/release/make-release.sh $(WIN32_DIR) $(RELEASE_DIR)

verify-release:
	scripts/release/verify-release.sh $(RELEASE_DIR)

clean:
	rm -rf $(BUILD)
