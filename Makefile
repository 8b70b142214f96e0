# Glimmerax: build, run and test. `make run` and `make test` install what is
# missing first (Debian 12).

ROOT      := $(CURDIR)
NATIVE    := build/native
WIN32DIR  := build/win32
WIN64DIR  := build/win64
JOBS      ?= 2
ARGS      ?=

.PHONY: all dist setup soak stress configure-win32 configure-win64 configure-native run test test-native \
	test-windows wintests bench clean

# The Wine of this machine: win32 runs the product itself; win64, where the
# kernel runs no 32-bit code, runs its 64-bit twin (scripts/wine-arch.sh).
WINE_ARCH = $(shell bash scripts/wine-arch.sh)

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

configure-win64:
	@test -f $(WIN64DIR)/CMakeCache.txt || cmake -S . -B $(WIN64DIR) \
		-DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release

configure-native:
	@test -f $(NATIVE)/CMakeCache.txt || cmake -S . -B $(NATIVE) \
		-DCMAKE_BUILD_TYPE=Debug -DGLIMMERAX_SANITIZE=ON

run: all
	@if [ "$(WINE_ARCH)" = win64 ]; then $(MAKE) --no-print-directory configure-win64 && \
		cmake --build $(WIN64DIR) --target Glimmerax -j$(JOBS); fi
	@bash scripts/run.sh $(ARGS)

# Everything, overlapped where it can be (scripts/test-all.sh); the counts
# and the time of each phase at the end.
test: setup
	@bash scripts/test-all.sh

# The product is always built; its Windows tests run under the Wine this
# machine has.
test-windows: configure-win32
	@[ "$(WINE_ARCH)" != win64 ] || $(MAKE) --no-print-directory configure-win64
	JOBS=$(JOBS) GLIMMERAX_WINE_ARCH=$(WINE_ARCH) bash scripts/build-windows.sh
	bash scripts/ctest.sh build/$(WINE_ARCH)

test-native: configure-native
	cmake --build $(NATIVE) -j$(JOBS)
	bash scripts/ctest.sh $(NATIVE)

# The Win32 unit tests alone, under Wine.
wintests: setup configure-win32 configure-win64
	@dir=$(WIN32DIR); [ "$(WINE_ARCH)" = win64 ] && dir=$(WIN64DIR); \
	cmake --build $$dir -j$(JOBS) --target glimmerax_wintests && \
	GLIMMERAX_WINE_ARCH=$(WINE_ARCH) bash scripts/wine-run.sh $$dir/glimmerax_wintests.exe

bench: setup
	@bash scripts/bench.sh

# Not part of `make test`: ten minutes of run mode, memory recorded over time.
soak: all configure-win32
	cmake --build $(WIN32DIR) --target glimmerax_probe -j$(JOBS)
	@bash scripts/soak.sh

# Not part of `make test`: the repeated end-to-end checks at length (80
# starts of run mode watched 5 s each, 60 kills during OK).
stress: setup configure-win32
	@[ "$(WINE_ARCH)" != win64 ] || $(MAKE) --no-print-directory configure-win64
	JOBS=$(JOBS) GLIMMERAX_WINE_ARCH=$(WINE_ARCH) bash scripts/build-windows.sh
	cd build/$(WINE_ARCH) && RUN_ALONE_STARTS=80 RUN_ALONE_WATCH=5 SAVE_KILLS=60 \
		ctest -V -j2 -R 'e2e_(run_alone|save)_test' --timeout 3600

clean:
	rm -rf build/native build/win32 build/win64 build/bench build/bench-win32 dist out
