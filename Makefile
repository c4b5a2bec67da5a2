# The README's two commands are `make run` and `make test`; both install what is missing first.
PRESET ?= dev
FUZZ_SECONDS ?= 60

.PHONY: run test build deps test-asan fuzz windows windows-deps test-windows package check-package ci screenshots screenshots-windows bench clean

deps:
	@scripts/install-deps.sh

build: deps
	@cmake --preset $(PRESET) >/dev/null
	@cmake --build --preset $(PRESET)

# Only the program and what it links, with the compiler's output kept in a log unless it fails.
run: deps
	@cmake --preset $(PRESET) >/dev/null
	@echo "Building Veltrano (the first time takes a few minutes)..."
	@cmake --build --preset $(PRESET) --target veltrano >build/$(PRESET)/run-build.log 2>&1 || \
		{ cat build/$(PRESET)/run-build.log; exit 1; }
	./build/$(PRESET)/veltrano

test: build
	ctest --preset $(PRESET)

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan:
	@$(MAKE) --no-print-directory test PRESET=asan

# A short run of each fuzz target; FUZZ_SECONDS=600 for a longer one.
fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	scripts/fuzz.sh build/fuzz $(FUZZ_SECONDS)

# What building for Windows and testing under Wine need: the cross compiler, Wine, a display
# server for its windows, the zh_CN locale's sources and a Chinese font.
windows-deps:
	@scripts/install-deps.sh g++-mingw-w64-x86-64-posix wine64 xvfb xauth locales \
		fonts-wqy-microhei

# The Windows program: build/mingw/veltrano.exe, one static executable.
windows: windows-deps
	@cmake --preset mingw >/dev/null
	@cmake --build --preset mingw --target veltrano
	@echo "built build/mingw/veltrano.exe"

# The Windows program and its tests built with MinGW-w64 and run under Wine, on a private Xvfb.
test-windows: windows-deps
	@cmake --preset mingw >/dev/null
	@cmake --build --preset mingw
	xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset mingw

# The optimised program, its menu entry, icon and description as build/package/veltrano_*.deb.
package: deps
	@cmake --preset package >/dev/null
	@cmake --build --preset package --target package

# Checks the menu entry and description, installs the .deb with apt-get and lets the installed
# program receive a file without a display.
check-package: package
	@scripts/install-deps.sh desktop-file-utils appstream iproute2
	packaging/check-package.sh build/package

# Everything CI runs.
ci: test test-asan fuzz test-windows check-package

screenshots: build
	@scripts/install-deps.sh xvfb x11-utils xdotool imagemagick
	scripts/screenshots.sh build/$(PRESET)

# The Windows program's screenshots, under Wine in a network namespace of their own (needs root).
screenshots-windows: windows
	@scripts/install-deps.sh xvfb x11-utils xdotool imagemagick iproute2
	unshare -n scripts/windows-screenshots.sh build/mingw/veltrano.exe

bench:
	bench/run.sh

clean:
	rm -rf build
