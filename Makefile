# Glimmerax: build, run and test. `make run` and `make test` install what is
# missing first (Debian 12).

ROOT      := $(CURDIR)
NATIVE    := build/native
WIN32DIR  := build/win32
JOBS      ?= 2
ARGS      ?=

.PHONY: all dist setup soak configure-win32 configure-native run test test-native test-win32 wintests bench clean

all: setup configure-win32
	cmake --build $(WIN32DIR) --target Glimmerax -j$(JOBS)

# The release archive dist/Glimmerax-<version>.zip; the same commit gives
# the same bytes in any folder (scripts/check-reproducible.sh checks it).
dist: setup configure-win32
	cmake --build $(WIN32DIR) --target dist -j$(JOBS)

setup:
	@bash scripts/setup.sh

configure-win32:
	@test -f $(WIN32DIR)/CMakeCache.txt || cmake -S . -B $(WIN32DIR) \
		-DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release

configure-native:
	@test -f $(NATIVE)/CMakeCache.txt || cmake -S . -B $(NATIVE) \
		-DCMAKE_BUILD_TYPE=Debug -DGLIMMERAX_SANITIZE=ON

run: all
	@bash scripts/run.sh $(ARGS)

test: setup
	@$(MAKE) --no-print-directory test-native test-win32
	@bash scripts/test-summary.sh

test-native: configure-native
	cmake --build $(NATIVE) -j$(JOBS)
	bash scripts/ctest.sh $(NATIVE)

test-win32: configure-win32
	cmake --build $(WIN32DIR) -j$(JOBS) --target all glimmerax_wintests
	bash scripts/ctest.sh $(WIN32DIR)

# The Win32 unit tests alone, under Wine.
wintests: setup configure-win32
	cmake --build $(WIN32DIR) -j$(JOBS) --target glimmerax_wintests
	bash scripts/wine-run.sh $(WIN32DIR)/glimmerax_wintests.exe

bench: setup
	@bash scripts/bench.sh

# Not part of `make test`: ten minutes of run mode, memory recorded over time.
soak: all configure-win32
	cmake --build $(WIN32DIR) --target glimmerax_probe -j$(JOBS)
	@bash scripts/soak.sh

clean:
	rm -rf build/native build/win32 build/bench build/bench-win32 dist out
