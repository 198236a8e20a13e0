# VELKOR: two commands do everything: `make run` and `make test`.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_GEN := -G Ninja

.PHONY: all deps build run test bench fuzz screenshots examples install package package-check clean

all: build

deps:
	@bash scripts/install-deps

# Release programs at build/bin/velkor and build/bin/velkor-batch, with the UI tests.
build: deps
	@cmake -S . -B build $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DVELKOR_CORE_TESTS=OFF >/dev/null
	@cmake --build build -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "velkor: no display found; on a machine without a screen run: xvfb-run -a make run"; \
	  exit 1; \
	fi
	@./build/bin/velkor

# Core tests under AddressSanitizer + UndefinedBehaviorSanitizer, UI tests on the offscreen platform.
test: build
	@cmake -S . -B build-sanitize $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DVELKOR_SANITIZE=ON \
	  -DVELKOR_BUILD_UI=OFF -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" >/dev/null
	@cmake --build build-sanitize -j $(JOBS)
	@UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=detect_leaks=1 \
	  ctest --test-dir build-sanitize --output-on-failure --no-tests=error -j $(JOBS)
	@QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure --no-tests=error -L 'ui|package'

# Benchmarks of the core and of the windows (offscreen), each printing its figures.
bench: deps
	@cmake -S . -B build-bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DVELKOR_BUILD_UI=ON \
	  -DVELKOR_CORE_TESTS=OFF -DVELKOR_BUILD_BENCH=ON >/dev/null
	@cmake --build build-bench -j $(JOBS)
	@for b in build-bench/bin/*_bench; do echo "== $$b"; QT_QPA_PLATFORM=offscreen $$b || exit 1; done

# libFuzzer on the datafile reader and on sequences of editing and solving operations, each for a
# bounded time (FUZZ_SECONDS, default 60), each with its corpus in fuzz-corpus/TARGET.
FUZZ_SECONDS ?= 60
fuzz: deps
	@CXX=clang++ cmake -S . -B build-fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKOR_BUILD_UI=OFF \
	  -DVELKOR_CORE_TESTS=OFF -DVELKOR_BUILD_FUZZ=ON >/dev/null
	@cmake --build build-fuzz -j $(JOBS)
	@mkdir -p fuzz-corpus/datafile_fuzz && cp -n examples/*.fem tests/data/*.fem fuzz-corpus/datafile_fuzz/ 2>/dev/null || true
	@for f in build-fuzz/bin/*_fuzz; do name=$$(basename $$f); mkdir -p fuzz-corpus/$$name; echo "== $$f"; \
	  $$f -max_total_time=$(FUZZ_SECONDS) fuzz-corpus/$$name || exit 1; done

# The programs, examples, desktop entry, icons, MIME type, metainfo and man pages under PREFIX
# (DESTDIR=... stages them elsewhere).
PREFIX ?= /usr/local
install: build
	@cmake --install build --prefix "$(PREFIX)"

# build/package/velkor_<version>_<arch>.deb, with its dependencies found by dpkg-shlibdeps.
package: build
	@rm -f build/package/velkor_*.deb
	@cd build && cpack -G DEB >/dev/null
	@ls build/package/velkor_*.deb

# Installs that package with apt-get, runs both programs from the installed paths, removes it.
package-check: package
	@bash scripts/package-check build/package/velkor_*.deb

screenshots: build
	@bash scripts/screenshots

clean:
	rm -rf build build-sanitize build-bench build-fuzz
