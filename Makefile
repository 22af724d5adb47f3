# Set-up commands: `make run` starts the engine, `make test` runs every test.
JOBS ?= 2

.PHONY: run release asan test test-release test-asan clean format

run: release
	./build/tarnic

release:
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
	cmake --build build -j$(JOBS)

asan:
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNIC_SANITIZE=ON
	cmake --build build-asan -j$(JOBS)

test-release: release
	cd build && ctest --output-on-failure -j$(JOBS)

# The sanitizer pass leaves out the deepest tree walks (test suites named *Slow).
test-asan: asan
	cd build-asan && ctest --output-on-failure -j$(JOBS) -E Slow

test: test-release test-asan

format:
	clang-format -i $$(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h')

clean:
	rm -rf build build-asan
