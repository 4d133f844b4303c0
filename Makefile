# make check  - installs what is missing, builds both builds, runs every test.
# make disc   - assembles the sample disc in $(BUILD)/win32/disc, also reachable as $(BUILD)/disc,
#               and checks it with disccheck.exe (fails on an error).
# make check-disc DISC=folder - checks a disc folder of this machine (JSON=1 for JSON).
# make demo   - runs the set-up from the sample disc under Wine.
BUILD ?= build
JOBS  ?= 2
PYTHON := /usr/bin/python3
MAKEFLAGS += --no-print-directory

HOST  := $(BUILD)/host
WIN32 := $(BUILD)/win32
WIN64 := $(BUILD)/win64
# The build whose programs Wine runs here: the 32-bit product, or, where the kernel cannot
# run 32-bit programs, the 64-bit build of the same sources. Asked once deps are installed.
WINE_ARCH = $(shell $(PYTHON) tools/winetest.py --arch)

.PHONY: all check deps host win32 win64 disc check-disc checker demo clean

all: host win32

deps:
	@tools/install-deps

host: deps
	@cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(HOST) -j$(JOBS)

# The 32-bit build carries its tests only where Wine can run them.
win32: deps
	@cmake -S . -B $(WIN32) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
	  -DORTK_TESTS=$(if $(filter win32,$(WINE_ARCH)),ON,OFF) >/dev/null
	@cmake --build $(WIN32) -j$(JOBS)

win64: deps
	@cmake -S . -B $(WIN64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(WIN64) -j$(JOBS)

check: host win32
	@tested=$(BUILD)/$(WINE_ARCH); \
	if [ "$$tested" = "$(WIN64)" ]; then \
	  echo "check: this kernel runs no 32-bit programs; the Wine tests run the 64-bit build"; \
	  $(MAKE) win64 || exit 1; \
	fi; \
	rm -rf $(HOST)/test-results $$tested/test-results; \
	mkdir -p $(HOST)/test-results $$tested/test-results; \
	status=0; \
	ctest --test-dir $(HOST) -j$(JOBS) --output-on-failure --output-junit ctest.xml || status=1; \
	ctest --test-dir $$tested -j$(JOBS) --output-on-failure --output-junit ctest.xml || status=1; \
	$(PYTHON) tools/test-summary $(HOST) $$tested || status=1; \
	exit $$status

disc: win32 checker
	@cmake --build $(WIN32) --target disc
	@ln -sfn win32/disc $(BUILD)/disc
	@$(PYTHON) tools/check-disc $(BUILD)/$(WINE_ARCH) $(WIN32)/disc

check-disc: win32 checker
	@test -n "$(DISC)" || { echo "usage: make check-disc DISC=folder [JSON=1]"; exit 2; }
	@$(PYTHON) tools/check-disc $(BUILD)/$(WINE_ARCH) "$(DISC)" $(if $(JSON),--json)

# The disc check runs where Wine can run it: the product's own disccheck.exe, or its 64-bit
# build where the kernel runs no 32-bit programs. Either checks the product's disc.
checker: deps
	@if [ "$(WINE_ARCH)" = win64 ]; then \
	  cmake -S . -B $(WIN64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null && \
	  cmake --build $(WIN64) -j$(JOBS) --target disccheck; fi

# The demo runs the disc of the build Wine can run here.
demo: disc
	@if [ "$(WINE_ARCH)" = win64 ]; then \
	  $(MAKE) win64 && cmake --build $(WIN64) --target disc && $(PYTHON) tools/demo $(WIN64); \
	else $(PYTHON) tools/demo $(WIN32); fi

clean:
	rm -rf $(BUILD)
