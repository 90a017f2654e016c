# Two commands: `make run` plays, `make test` checks. Both install what is missing first.
.PHONY: run test build deps configure bench format clean fuzz install package

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
	rm -rf build build-debug

# The real fuzzers (clang + libFuzzer), 60 seconds each, seeded from the game's own files.
fuzz: build
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DLUM_FUZZ=ON -DLUM_BUILD_BENCH=OFF >/dev/null
	@cmake --build build-fuzz --target $$(cmake --build build-fuzz --target help | sed -n 's/^\(fuzz_[a-z_]*\):.*/\1/p') -j2
	@for f in build-fuzz/tests/fuzz/fuzz_*[a-z]; do \
	  [ -x "$$f" ] || continue; echo "== $$f"; c=build-fuzz/corpus/$$(basename $$f); mkdir -p $$c; \
	  while read -r s; do [ -e "$$s" ] && cp -r "$$s"/. $$c/ 2>/dev/null || cp "$$s" $$c/ 2>/dev/null || true; done < $$f.seeds; \
	  $$f $$c -max_total_time=60 -rss_limit_mb=4096 > $$c.log 2>&1; rc=$$?; tail -3 $$c.log; \
	  [ $$rc -eq 0 ] || { echo "$$f failed: see $$c.log"; exit 1; }; \
	done
