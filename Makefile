# make check  - installs what is missing, builds both builds, runs every test.
# make disc   - assembles the sample disc in $(BUILD)/win32/disc, also reachable as $(BUILD)/disc,
#               and checks it with disccheck.exe (fails on an error).
# make check-disc DISC=folder - checks a disc folder of this machine (JSON=1 for JSON).
# make preview [DISC=folder] - pictures of every screen each user of a disc sees, with the report,
#               in $(BUILD)/preview/index.html (default: the sample disc).
# make demo   - runs the set-up from the sample disc under Wine.
# make fuzz   - runs every fuzz target for FUZZ_SECONDS (clang, libFuzzer, ASan, UBSan).
# make corpus - runs the broken-disc corpus (whole runs of the set-up under Wine).
# make bench  - the set-up beside an NSIS installer of the same job (tools/bench; not in check).
BUILD ?= build
JOBS  ?= 2
# The Wine tests mostly wait for windows and processes: several at a time per core. At 12
# the longest runs, which mostly wait, held most places and left the two cores a tenth idle.
WINE_JOBS ?= 18
PYTHON := /usr/bin/python3
# Configures a build folder: new ones with Ninja (quicker than make on two cores), folders
# made before keep the generator they were made with.
CONFIGURE = cmake -S . -B $(1) $(if $(wildcard $(1)/CMakeCache.txt),,-G Ninja)
MAKEFLAGS += --no-print-directory

HOST  := $(BUILD)/host
WIN32 := $(BUILD)/win32
WIN64 := $(BUILD)/win64
# The build whose programs Wine runs here: the 32-bit product, or, where the kernel cannot
# run 32-bit programs, the 64-bit build of the same sources. Asked once deps are installed.
WINE_ARCH = $(shell $(PYTHON) tools/winetest.py --arch)
# Whether Wine runs the 32-bit product in a 64-bit prefix here, as 64-bit Windows does.
WOW64 = $(shell $(PYTHON) tools/winetest.py --wow64)

.PHONY: all check deps host win32 win64 disc check-disc preview checker demo fuzz corpus bench clean
FUZZ  := $(BUILD)/fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := registry_record skin_layout version_number text_helpers setup_description

all: host win32

deps:
	@tools/install-deps

host: deps
	@$(call CONFIGURE,$(HOST)) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(HOST) -j$(JOBS)

# The 32-bit build carries its tests only where Wine can run them.
win32: deps
	@$(call CONFIGURE,$(WIN32)) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
	  -DORTK_TESTS=$(if $(filter win32,$(WINE_ARCH)),ON,OFF) -DORTK_WOW64=$(if $(filter yes,$(WOW64)),ON,OFF) >/dev/null
	@cmake --build $(WIN32) -j$(JOBS)

win64: deps
	@$(call CONFIGURE,$(WIN64)) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(WIN64) -j$(JOBS)

# The build the Wine tests run comes first; the host build and its tests then run beside
# the Wine tests, which mostly wait for windows and processes.
check: deps
	@tested=$(BUILD)/$(WINE_ARCH); builds="win32"; \
	if [ "$$tested" = "$(WIN64)" ]; then \
	  echo "check: this kernel runs no 32-bit programs; the Wine tests run the 64-bit build"; \
	  builds="$$builds win64"; \
	elif [ "$(WOW64)" != yes ]; then \
	  echo "check: Wine runs no 32-bit programs in a 64-bit prefix here; the Wine tests run as on 32-bit Windows only"; \
	fi; \
	$(MAKE) -j2 $$builds || exit 1; \
	rm -rf $(HOST)/test-results $$tested/test-results; \
	mkdir -p $$tested/test-results $(BUILD); \
	( $(MAKE) host > $(BUILD)/host-build.log 2>&1 || { cat $(BUILD)/host-build.log; exit 1; }; \
	  mkdir -p $(HOST)/test-results; \
	  ctest --test-dir $(HOST) -j$(JOBS) --output-on-failure --output-junit ctest.xml \
	    > $(BUILD)/host-tests.log 2>&1; result=$$?; cat $(BUILD)/host-tests.log; exit $$result ) & \
	host=$$!; status=0; \
	ctest --test-dir $$tested -j$(WINE_JOBS) --output-on-failure --output-junit ctest.xml || status=1; \
	wait $$host || status=1; \
	$(PYTHON) tools/test-summary $(HOST) $$tested || status=1; \
	exit $$status

disc: win32 checker
	@cmake --build $(WIN32) --target disc
	@ln -sfn win32/disc $(BUILD)/disc
	@$(PYTHON) tools/check-disc $(BUILD)/$(WINE_ARCH) $(WIN32)/disc

check-disc: win32 checker
	@test -n "$(DISC)" || { echo "usage: make check-disc DISC=folder [JSON=1]"; exit 2; }
	@$(PYTHON) tools/check-disc $(BUILD)/$(WINE_ARCH) "$(DISC)" $(if $(JSON),--json)

# The report, then the page; a disc with errors still gets its preview (exit code 2 alone fails).
preview: win32 checker
	@if [ -z "$(DISC)" ]; then cmake --build $(WIN32) --target disc && ln -sfn win32/disc $(BUILD)/disc; fi
	@$(PYTHON) tools/check-disc $(BUILD)/$(WINE_ARCH) "$(or $(DISC),$(WIN32)/disc)" --pictures $(BUILD)/preview; \
	  test $$? -ne 2

# The disc check runs where Wine can run it: the product's own disccheck.exe, or its 64-bit
# build where the kernel runs no 32-bit programs. Either checks the product's disc.
checker: deps
	@if [ "$(WINE_ARCH)" = win64 ]; then \
	  $(call CONFIGURE,$(WIN64)) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null && \
	  cmake --build $(WIN64) -j$(JOBS) --target disccheck; fi

# The demo runs the disc of the build Wine can run here.
demo: disc
	@if [ "$(WINE_ARCH)" = win64 ]; then \
	  $(MAKE) win64 && cmake --build $(WIN64) --target disc && $(PYTHON) tools/demo $(WIN64); \
	else $(PYTHON) tools/demo $(WIN32); fi

corpus: disc
	@tested=$(BUILD)/$(WINE_ARCH); \
	if [ "$$tested" = "$(WIN64)" ]; then $(MAKE) win64 || exit 1; fi; \
	mkdir -p $$tested/test-results; \
	ctest --test-dir $$tested -R e2e_broken_discs -j$(WINE_JOBS) --output-on-failure

# Each target starts from the committed corpus and keeps what it finds in the build folder;
# a crashing input is left there as crash-* for the corpus once it is fixed.
fuzz: deps
	@CC=clang CXX=clang++ $(call CONFIGURE,$(FUZZ)) -DCMAKE_BUILD_TYPE=Debug -DORTK_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ) -j$(JOBS) --target fuzz_targets
	@status=0; for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ)/corpus/$$t $(FUZZ)/findings/$$t; \
	  echo "fuzz: $$t for $(FUZZ_SECONDS) s"; \
	  $(FUZZ)/tests/fuzz/$${t}_fuzz $(FUZZ)/corpus/$$t tests/fuzz/corpus/$$t \
	    -max_total_time=$(FUZZ_SECONDS) -max_len=65536 -rss_limit_mb=1024 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ)/findings/$$t/ 2>&1 | grep -E '^(stat::|==|SUMMARY|Done|#[0-9]+.*DONE)' || true; \
	  [ -z "$$(ls $(FUZZ)/findings/$$t)" ] || { echo "fuzz: $$t found $$(ls $(FUZZ)/findings/$$t)"; status=1; }; \
	done; exit $$status

# Sizes of the 32-bit product; where Wine runs only 64-bit programs here, the running figures
# come from the 64-bit build's disc.
bench: disc
	@if [ "$(WINE_ARCH)" = win64 ]; then \
	  $(MAKE) win64 && cmake --build $(WIN64) --target disc; fi
	@$(PYTHON) tools/bench/bench.py --build $(WIN32) --run-disc $(WIN64)/disc

clean:
	rm -rf $(BUILD)
