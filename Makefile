# The two commands that set up, build and run everything on a fresh Debian machine.
#   make run    install what is missing, build, start the simulator
#   make test   install what is missing, build, run every test headless (plain and sanitized)
#   make bench  build and run the benchmarks
#   make fuzz   run each fuzz target for a minute (clang and libFuzzer)
#   make package  build build/zarq-simulator_<version>_<arch>.deb and zarq-scoreboard_..._<arch>.deb
#   make web    build the web edition's site into build-web/site (and the core's wasm tests)
#   make serve  build the scoreboard server and the site, serve them on 127.0.0.1:8080

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
HEADLESS = QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy

.PHONY: run test deps build build-asan bench fuzz fuzz-run build-fuzz clean package web serve

# The web edition with Debian's emscripten: its node needs Debian's acorn, and the test programs
# run under node without the threads flag that emcmake would give it.
EM_ROOT := $(shell em-config EMSCRIPTEN_ROOT 2>/dev/null || echo /usr/share/emscripten)
WEB_ENV = NODE_PATH=/usr/share/nodejs
NODE ?= $(shell command -v node 2>/dev/null || echo node)

deps:
	bash scripts/install-deps.sh

build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build -j $(JOBS)

build-asan: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DZARQ_SANITIZE=ON -DZARQ_BENCHMARKS=OFF
	cmake --build build-asan -j $(JOBS)

web: deps
	$(WEB_ENV) cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_TOOLCHAIN_FILE=$(EM_ROOT)/cmake/Modules/Platform/Emscripten.cmake \
		"-DCMAKE_CROSSCOMPILING_EMULATOR=$(NODE);--no-experimental-fetch"
	$(WEB_ENV) cmake --build build-web -j $(JOBS)

run: build
	./build/zarq-simulator

# The scoreboard server with the web edition's site, its SQLite file under build/; SERVE_ARGS adds
# options (`make serve SERVE_ARGS="--database postgresql://..."`).
SERVE_ARGS ?=
serve: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build --target zarq-scoreboard -j $(JOBS)
	$(WEB_ENV) cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_TOOLCHAIN_FILE=$(EM_ROOT)/cmake/Modules/Platform/Emscripten.cmake \
		"-DCMAKE_CROSSCOMPILING_EMULATOR=$(NODE);--no-experimental-fetch"
	$(WEB_ENV) cmake --build build-web --target web_site -j $(JOBS)
	./build/server/zarq-scoreboard --listen 127.0.0.1:8080 --database sqlite:build/scoreboard.sqlite \
		--site build-web/site $(SERVE_ARGS)

test: build build-asan web
	cd build-web && $(WEB_ENV) ctest --output-on-failure -j $(JOBS)
	cd build && $(HEADLESS) ctest --output-on-failure -j $(JOBS)
	cd build-asan && $(HEADLESS) ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS)
	$(MAKE) fuzz-run FUZZ_SECONDS=5

package: build web
	cd build && cpack
	cmake --build build --target scoreboard_package

bench: build web
	@for b in build/bench/bench_*; do [ -x "$$b" ] && $(HEADLESS) "$$b"; done
	$(NODE) bench/web/measure.mjs build-web/site build-web
	bash bench/scoreboard/run.sh build

# The fuzz targets, built with clang in their own folder; each runs FUZZ_SECONDS on a copy of
# its seed corpus (new inputs stay in build-fuzz, the seeds in fuzz/corpus stay as they are).
FUZZ_SECONDS ?= 60

build-fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARQ_FUZZ=ON \
		-DZARQ_BENCHMARKS=OFF
	cmake --build build-fuzz --target fuzz_targets -j $(JOBS)

fuzz-run: build-fuzz
	@for f in build-fuzz/fuzz/fuzz_*; do \
		[ -f "$$f" ] && [ -x "$$f" ] || continue; \
		name=$$(basename "$$f"); corpus=build-fuzz/corpus/$$name; mkdir -p "$$corpus"; \
		seeds=""; [ -d fuzz/corpus/$$name ] && seeds=fuzz/corpus/$$name; \
		echo "== $$name for $(FUZZ_SECONDS) s"; \
		"$$f" -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 "$$corpus" $$seeds || exit 1; \
	done

fuzz: fuzz-run

clean:
	rm -rf build build-asan build-fuzz build-web
