# Two commands: `make run` plays, `make test` checks. Both install what is missing first.
.PHONY: run test build deps configure bench format clean fuzz sanitize soak install package

deps:
	@scripts/install-deps

configure: deps
	@cmake --preset default >/dev/null

build: configure
	@cmake --build --preset default

run: build
	cd build/game && ./luminaria $(ARGS)

test: build
	ctest --preset default

# The save killed 1000 times in the middle of saving (SEED=n picks other moments), then the
# offscreen UI tests and the end-to-end tests SOAK_RUNS times each: any failure is reported.
SEED ?= 1
SOAK_RUNS ?= 20
soak: build
	build/tests/save_kill --kills 1000 --seed $(SEED) --game build/game
	ctest --preset default -R '^(ui_|e2e_)' --repeat until-fail:$(SOAK_RUNS)

# The whole suite again in a separate build with AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer; any report ends the test that caused it with a failure.
sanitize: deps
	@cmake --preset debug >/dev/null
	@cmake --build --preset debug
	ctest --preset debug

# Installs into PREFIX (bin/, share/luminaria/, the desktop entry, icons, metainfo, man page).
PREFIX ?= /usr/local
install: build
	cmake --install build --prefix "$(PREFIX)"

# A Debian package, build/luminaria_<version>_<arch>.deb.
package: build
	cd build && cpack -G DEB

bench: build
	@bench/run-all

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-debug build-fuzz

# The real fuzzers (clang + libFuzzer), FUZZ_SECONDS each (FUZZ_TARGETS="story save" picks
# some), seeded from the game's own files and the seeds kept in tests/fuzz/corpus/. Inputs that
# reach new code are merged, minimised, into tests/fuzz/corpus/NAME for the replay tests (by edges
# alone, so the kept seeds stay few enough for the suite to replay them quickly).
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= dat_files wave settings sources story battle save place
fuzz: build
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DLUM_FUZZ=ON -DLUM_BUILD_BENCH=OFF >/dev/null
	@cmake --build build-fuzz --target $(addprefix fuzz_,$(FUZZ_TARGETS)) -j2
	@mkdir -p build-fuzz/artifacts
	@for t in $(FUZZ_TARGETS); do \
	  f=build-fuzz/tests/fuzz/fuzz_$$t; c=build-fuzz/corpus/fuzz_$$t; keep=tests/fuzz/corpus/$$t; \
	  echo "== fuzz_$$t, $(FUZZ_SECONDS) s"; mkdir -p $$c $$keep; \
	  while read -r s; do [ -e "$$s" ] && cp -r "$$s"/. $$c/ 2>/dev/null || cp "$$s" $$c/ 2>/dev/null || true; done < $$f.seeds; \
	  $$f $$c -max_total_time=$(FUZZ_SECONDS) -timeout=20 -rss_limit_mb=4096 -len_control=0 -print_final_stats=1 \
	    -artifact_prefix=build-fuzz/artifacts/$$t- > $$c.log 2>&1; rc=$$?; \
	  grep -E '^#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::peak_rss' $$c.log; \
	  [ $$rc -eq 0 ] || { tail -40 $$c.log; echo "fuzz_$$t failed: see $$c.log"; exit 1; }; \
	  $$f -merge=1 -use_counters=0 $$keep $$c > $$c.merge.log 2>&1 || { echo "merge failed: $$c.merge.log"; exit 1; }; \
	done
