# The two commands of the README: `make run` and `make test`. Both install what is missing first.
PRESET ?= dev

.PHONY: run test build deps screenshots clean

deps:
	@scripts/install-deps.sh

build: deps
	@cmake --preset $(PRESET) >/dev/null
	@cmake --build --preset $(PRESET)

run: build
	./build/$(PRESET)/veltrano

test: build
	ctest --preset $(PRESET)

screenshots: build
	@scripts/install-deps.sh xvfb x11-utils xdotool imagemagick
	scripts/screenshots.sh build/$(PRESET)

clean:
	rm -rf build
