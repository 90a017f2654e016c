# Two commands: `make run` plays, `make test` checks. Both install what is missing first.
.PHONY: run test build deps configure bench format clean

deps:
	@scripts/install-deps

configure: deps
	@cmake --preset default >/dev/null

build: configure
	@cmake --build --preset default

run: build
	cd build/game && ./luminaria

test: build
	ctest --preset default

bench: build
	@bench/run-all

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-debug
