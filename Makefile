# The commands a person or CI runs. CMake does the building; this file only
# chooses build folders and options and runs things in order.

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CTEST_JOBS ?= 2
PREFIX ?= /usr/local
ROOT := $(CURDIR)
CLANG_FORMAT ?= $(shell command -v clang-format-14 || command -v clang-format)

# Sanitizer runs stop at the first report, with a stack, so CI fails loudly.
SANITIZER_ENV := ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
	LSAN_OPTIONS=suppressions=$(ROOT)/scripts/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$(ROOT)/scripts/tsan.supp

.DEFAULT_GOAL := build
.PHONY: bootstrap configure build demo test test-asan test-tsan bench bench-window fuzz install \
	package format clean

bootstrap:
	@$(ROOT)/scripts/bootstrap

configure: bootstrap
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build build -j $(JOBS)

# Builds the two hosts and the device image, and nothing else (no tests, no
# benchmarks), then runs the demo scenario from a scratch folder with a
# device root of its own, a copy of the image, so its snapshots and dumps
# land there and nobody's settings are read or changed.
demo: configure
	cmake --build build -j $(JOBS) --target springboard settings_app
	rm -rf out/demo
	mkdir -p out/demo
	cp -R build/device-root out/demo/root
	cd out/demo && $(ROOT)/build/apps/springboard/springboard \
		--scenario $(ROOT)/examples/demo.scn --root $(ROOT)/out/demo/root
	@echo
	@echo "Demo output is in $(ROOT)/out/demo:"
	@ls -1 out/demo | sed 's|^|  |'

test: build
	ctest --test-dir build --output-on-failure -j $(CTEST_JOBS)

# The programs, their library, the device image, menu entries, icon and man
# pages under PREFIX (/usr/local unless given).
install: build
	cmake --install build --prefix $(PREFIX) --strip

# build/rotix_VERSION_amd64.deb, installing to /usr.
package: build
	cd build && cpack -G DEB

# AddressSanitizer with UndefinedBehaviorSanitizer.
test-asan: bootstrap
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DROTIX_SANITIZE=address
	cmake --build build-asan -j $(JOBS)
	$(SANITIZER_ENV) ctest --test-dir build-asan --output-on-failure -j $(CTEST_JOBS)

test-tsan: bootstrap
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DROTIX_SANITIZE=thread
	cmake --build build-tsan -j $(JOBS)
	$(SANITIZER_ENV) ctest --test-dir build-tsan --output-on-failure -j $(CTEST_JOBS)

# Benchmarks build optimised in their own folder and run one after another.
# OpenCV, the reference some are measured against, is installed for them only.
bench:
	@$(ROOT)/scripts/bootstrap --bench
	@if [ ! -f bench/CMakeLists.txt ]; then echo "No benchmarks yet."; exit 0; fi; \
	set -e; \
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DROTIX_BENCH=ON; \
	cmake --build build-bench -j $(JOBS) --target rotix_bench; \
	found=0; \
	for binary in $$(find build-bench/bench -type f -executable -name '*bench*' 2>/dev/null | sort); do \
		found=1; echo "== $$binary"; "$$binary"; \
	done; \
	if [ $$found = 0 ]; then echo "No benchmark programs were built."; fi

# The live window's cost over a minute on a virtual display: CPU share and
# peak memory of the home-screen host while music plays.
bench-window: build
	$(ROOT)/bench/window-idle.sh --host $(ROOT)/build/apps/springboard/springboard \
		--root $(ROOT)/build/device-root

# The fuzz targets, built with clang in their own folder, each run in turn
# for FUZZ_SECONDS on its corpus in fuzz/corpus/NAME/. What a run adds to a
# corpus stays there, out of git (only the seed-* files are kept); crashes
# and the inputs that cause them go to build-fuzz/findings/. The targets' own
# standard error (a host's answer to each bad line) is closed; libFuzzer's
# reports and the sanitizers' still show.
FUZZ_SECONDS ?= 60
FUZZERS := ArtworkImageFuzzer PropertyListFuzzer MprisMetadataFuzzer SpringBoardScenarioFuzzer \
	SettingsScenarioFuzzer BoxConvolveFuzzer ColorCubeFuzzer ColorFromHexStringFuzz
fuzz: bootstrap
	CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DROTIX_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS) --target rotix_fuzzers
	@mkdir -p build-fuzz/findings
	@status=0; for name in $(FUZZERS); do \
		mkdir -p fuzz/corpus/$$name; \
		echo "== $$name for $(FUZZ_SECONDS) s"; \
		$(SANITIZER_ENV) $(ROOT)/build-fuzz/fuzz/$$name -max_total_time=$(FUZZ_SECONDS) \
			-print_final_stats=1 -close_fd_mask=2 -artifact_prefix=$(ROOT)/build-fuzz/findings/$$name- \
			$(ROOT)/fuzz/corpus/$$name || status=1; \
	done; exit $$status

format:
	@if [ -z "$(CLANG_FORMAT)" ]; then echo "clang-format not found; run scripts/bootstrap" >&2; exit 1; fi
	find . \( -path ./.git -o -path './build*' -o -path ./out \) -prune -o \
		-type f \( -name '*.h' -o -name '*.cpp' \) -print0 | xargs -0 -r $(CLANG_FORMAT) -i

clean:
	rm -rf build build-asan build-tsan build-bench build-fuzz out
