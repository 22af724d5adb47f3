# Set-up commands: `make run` starts the engine, `make test` runs every test.
JOBS ?= 2
# The instruction set: auto (x86-64-v2 where this compiler and processor have
# it, else x86-64), x86-64 (portable), x86-64-v2, x86-64-v3 or native.
ARCH ?= auto

.PHONY: run release flavours windows test-windows profile-build release-tests asan tsan fuzz-build fuzz test test-release test-asan test-tsan test-fuzz clean format

run: release
	./build/tarnic

# The engine alone: needs nothing but cmake and a C++ compiler.
release:
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTARNIC_ARCH=$(ARCH)
	cmake --build build -j$(JOBS) --target tarnic

# The same engine compiled with the counts of a training run (fixed-depth
# searches of the benchmark positions, checked against the signature):
# build-pgo/tarnic, the same moves, faster. Needs Python 3 for the training.
PGO_TRAIN = build-pgo-train
profile-build:
	rm -rf $(PGO_TRAIN)/pgo-profile
	cmake -S . -B $(PGO_TRAIN) -DCMAKE_BUILD_TYPE=Release -DTARNIC_PGO=generate \
	  -DTARNIC_PGO_DIR=$(CURDIR)/$(PGO_TRAIN)/pgo-profile
	cmake --build $(PGO_TRAIN) -j$(JOBS) --target tarnic
	python3 tools/signature.py --engine $(PGO_TRAIN)/tarnic --depth 8 --check tools/signature.txt
	@test -n "$$(find $(PGO_TRAIN)/pgo-profile -name '*.gcda' 2>/dev/null)" || \
	  { echo "profile-build: the training run wrote no counts"; exit 1; }
	cmake -S . -B build-pgo -DCMAKE_BUILD_TYPE=Release -DTARNIC_PGO=use \
	  -DTARNIC_PGO_DIR=$(CURDIR)/$(PGO_TRAIN)/pgo-profile
	cmake --build build-pgo -j$(JOBS) --clean-first --target tarnic
	python3 tools/signature.py --engine build-pgo/tarnic --depth 8 --check tools/signature.txt

# Windows, cross-compiled with MinGW-w64 (the POSIX thread model, which has
# std::thread): build-windows/tarnic.exe for x86-64 and tarnic32.exe for
# i686, statically linked, and tarnic-avx2.exe for processors with AVX2
# (x86-64-v3).
windows:
	cmake -S . -B build-windows -DCMAKE_BUILD_TYPE=Release -DCMAKE_SYSTEM_NAME=Windows \
	  -DCMAKE_CXX_COMPILER=x86_64-w64-mingw32-g++-posix
	cmake --build build-windows -j$(JOBS) --target tarnic winpipe_game
	cmake -S . -B build-windows32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_SYSTEM_NAME=Windows \
	  -DCMAKE_CXX_COMPILER=i686-w64-mingw32-g++-posix
	cmake --build build-windows32 -j$(JOBS) --target tarnic
	cp build-windows32/tarnic.exe build-windows/tarnic32.exe
	cmake -S . -B build-windows-v3 -DCMAKE_BUILD_TYPE=Release -DCMAKE_SYSTEM_NAME=Windows \
	  -DCMAKE_CXX_COMPILER=x86_64-w64-mingw32-g++-posix -DTARNIC_ARCH=x86-64-v3
	cmake --build build-windows-v3 -j$(JOBS) --target tarnic
	cp build-windows-v3/tarnic.exe build-windows/tarnic-avx2.exe

release-tests:
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTARNIC_TESTS=ON -DTARNIC_ARCH=$(ARCH)
	cmake --build build -j$(JOBS)

asan:
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNIC_SANITIZE=ON -DTARNIC_TESTS=ON
	cmake --build build-asan -j$(JOBS)

# The other build flavours this processor runs, each against the signature.
flavours: release-tests
	python3 tools/flavours.py --jobs $(JOBS)

# The games run last and alone.
test-release: release-tests
	cd build && ctest --output-on-failure -j$(JOBS) -LE games
	python3 tools/flavours.py --jobs $(JOBS)
	cd build && ctest --output-on-failure -L games

# The sanitizer pass leaves out the deepest tree walks and the games (names ending in Slow).
test-asan: asan
	cd build-asan && ctest --output-on-failure -j$(JOBS) -E Slow

# ThreadSanitizer: the engine and the tests built with it; the threaded
# end-to-end tests run the instrumented engine, and any race report fails them.
tsan:
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNIC_TSAN=ON -DTARNIC_TESTS=ON
	cmake --build build-tsan -j$(JOBS)
	cd build-tsan && TSAN_OPTIONS="halt_on_error=1 exitcode=66" ctest --output-on-failure -j$(JOBS) -R '^(Threads|SearchProtocol)\.'

test-tsan: tsan

# libFuzzer targets (clang): `make fuzz` runs each for FUZZ_SECONDS.
FUZZ_SECONDS ?= 60
fuzz-build:
	CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNIC_FUZZ=ON
	cmake --build build-fuzz -j$(JOBS)

fuzz: fuzz-build
	tools/run_fuzz.sh build-fuzz $(FUZZ_SECONDS)

test-fuzz: fuzz-build
	tools/run_fuzz.sh build-fuzz 30

# tarnic.exe under wine: the protocol and search tests and the signature.
test-windows: release-tests
	tools/test_windows.sh

test: test-release test-windows test-asan test-tsan test-fuzz

format:
	clang-format -i $$(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h')

clean:
	rm -rf build build-asan build-tsan build-fuzz build-pgo build-pgo-train build-flavour-* build-windows-v3
