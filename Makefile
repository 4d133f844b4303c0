# make check  - installs what is missing, builds both builds, runs every test.
# make disc   - assembles the sample disc in $(BUILD)/win32/disc, also reachable as $(BUILD)/disc.
# make demo   - runs the set-up from the sample disc under Wine.
BUILD ?= build
JOBS  ?= 2
PYTHON := /usr/bin/python3
MAKEFLAGS += --no-print-directory

HOST  := $(BUILD)/host
WIN32 := $(BUILD)/win32

.PHONY: all check deps host win32 disc demo clean

all: host win32

deps:
	@tools/install-deps

host: deps
	@cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(HOST) -j$(JOBS)

win32: deps
	@cmake -S . -B $(WIN32) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(WIN32) -j$(JOBS)

check: host win32
	@rm -rf $(HOST)/test-results $(WIN32)/test-results
	@mkdir -p $(HOST)/test-results $(WIN32)/test-results
	@status=0; \
	ctest --test-dir $(HOST) -j$(JOBS) --output-on-failure --output-junit ctest.xml || status=1; \
	ctest --test-dir $(WIN32) -j$(JOBS) --output-on-failure --output-junit ctest.xml || status=1; \
	$(PYTHON) tools/test-summary $(HOST) $(WIN32) || status=1; \
	exit $$status

disc: win32
	@cmake --build $(WIN32) --target disc
	@ln -sfn win32/disc $(BUILD)/disc

demo: disc
	@$(PYTHON) tools/demo $(WIN32)

clean:
	rm -rf $(BUILD)
