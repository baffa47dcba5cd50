# vexiro: the two everyday commands are `make demo` and `make test`.
JOBS      ?= $(shell nproc)
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")
LAUNCHER  := $(shell command -v ccache >/dev/null 2>&1 && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
PREFIX    ?= /usr/local

CONFIGURE = cmake -S . -G "$(GENERATOR)" $(LAUNCHER) -Wno-dev

.PHONY: all deps test demo bench install fuzz fuzz-smoke tsan clean

all: demo

deps:
	@scripts/install-deps.sh

build/test/build.ninja build/test/Makefile: deps
	$(CONFIGURE) -B build/test -DCMAKE_BUILD_TYPE=Debug -DVEXIRO_SANITIZE=ON

# After the suites, a summary of their cases: why each skipped one was skipped, then the counts.
test: deps
	@$(CONFIGURE) -B build/test -DCMAKE_BUILD_TYPE=Debug -DVEXIRO_SANITIZE=ON >/dev/null
	cmake --build build/test -j $(JOBS)
	@rm -rf build/test/tests/results
	@cd build/test && { ctest --output-on-failure -j $(JOBS); status=$$?; \
	  python3 ../../scripts/test-summary.py tests/results $$(cat tests/suites.txt) || status=1; exit $$status; }

# The release tree (demo and install) builds no test suite, nor does the bench tree.
RELEASE = $(CONFIGURE) -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXIRO_TESTS=OFF

demo: deps
	@$(RELEASE) >/dev/null
	cmake --build build/release -j $(JOBS)
	scripts/run-demo.sh build/release

bench: deps
	@$(CONFIGURE) -B build/bench -DCMAKE_BUILD_TYPE=Release -DVEXIRO_BENCH=ON -DVEXIRO_TESTS=OFF >/dev/null
	cmake --build build/bench -j $(JOBS)
	@for b in build/bench/bench/bench_*; do [ -x "$$b" ] && "$$b"; done
	python3 bench/ratios.py build/bench
	python3 bench/roundtrip.py build/bench
	python3 bench/image_to_pdf.py build/bench
	python3 bench/multipage_tiff.py build/bench

install: deps
	@$(RELEASE) -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null
	cmake --build build/release -j $(JOBS)
	cmake --install build/release

# The engines-on-threads suite under ThreadSanitizer, over a library and the plug-ins it loads built
# with it; not part of CI (a third build of the library). Any race it reports fails the run, but
# those tests/threads/tsan.supp explains.
tsan: deps
	@$(CONFIGURE) -B build/tsan -DCMAKE_BUILD_TYPE=Debug -DVEXIRO_TSAN=ON >/dev/null
	cmake --build build/tsan -j $(JOBS) --target test_threads vximgplug vxbarcode.1dreader
	cd build/tsan && TSAN_OPTIONS="suppressions=$(CURDIR)/tests/threads/tsan.supp second_deadlock_stack=1" \
	  ctest --output-on-failure -R '^threads$$'

# Coverage-guided fuzzing of the decoders and parsers. FUZZ_SECONDS bounds each target; this rule
# is the one list of targets. `make fuzz-smoke` (CI, after `make test`) builds them all with clang
# and runs each for a few seconds, so a target that no longer builds or crashes at once fails CI.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := fuzz_decoders fuzz_plugin_loaders fuzz_templates fuzz_registry fuzz_script_parser \
  fuzz_metadata fuzz_pdf_members fuzz_readers
# Crashes and slow inputs a run finds are written into the build tree, not the checkout.
FUZZ_FLAGS = -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 -artifact_prefix=build/fuzz/artifacts/
fuzz: deps
	@command -v clang++ >/dev/null || { echo "fuzzing needs clang"; exit 1; }
	@CC=clang CXX=clang++ $(CONFIGURE) -B build/fuzz -DCMAKE_BUILD_TYPE=Debug -DVEXIRO_FUZZ=ON >/dev/null
	cmake --build build/fuzz -j $(JOBS) --target $(FUZZ_TARGETS)
	mkdir -p build/fuzz/corpus build/fuzz/corpus-plugin build/fuzz/artifacts
	build/fuzz/fuzz/fuzz_decoders $(FUZZ_FLAGS) build/fuzz/corpus fuzz/seeds
	VEXIRO_PLUGIN_PATH=$(CURDIR)/build/fuzz/plugins build/fuzz/fuzz/fuzz_plugin_loaders \
	  $(FUZZ_FLAGS) -timeout=60 build/fuzz/corpus-plugin fuzz/seeds fuzz/seeds-plugin
	mkdir -p build/fuzz/corpus-readers
	VEXIRO_PLUGIN_PATH=$(CURDIR)/build/fuzz/plugins build/fuzz/fuzz/fuzz_readers \
	  $(FUZZ_FLAGS) -timeout=60 build/fuzz/corpus-readers fuzz/seeds-readers
	@for t in templates registry script_parser metadata pdf_members; do mkdir -p build/fuzz/corpus-$$t; \
	  build/fuzz/fuzz/fuzz_$$t $(FUZZ_FLAGS) -timeout=60 build/fuzz/corpus-$$t fuzz/seeds-$$t || exit 1; done

fuzz-smoke:
	$(MAKE) fuzz FUZZ_SECONDS=5

clean:
	rm -rf build out
