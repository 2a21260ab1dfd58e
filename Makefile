# make run   installs what is missing, builds, starts Harbrix with a simulated MIV3
#            (PEDALS="MIV3 NAX3" for more pedals; RUN_SECONDS=N to end by itself)
# make test  installs what is missing, builds, checks the source rules, runs every test (plain,
#            package, ASan+UBSan, TSan, fuzz smoke)
# make fuzz  runs the fuzz targets for FUZZ_SECONDS each
# make e2e-stress  runs the end-to-end tests STRESS_RUNS times while stress-ng loads every core
# make package  builds the Debian package into build/package/
JOBS ?= 2
FUZZ_SECONDS ?= 60
PEDALS ?= MIV3
RUN_SECONDS ?=
SMOKE_SECONDS ?= 5
STRESS_RUNS ?= 3
CMAKE_FLAGS ?=
CTEST = ctest --output-on-failure -j$(JOBS)

.PHONY: all deps fonts build run test rules unit e2e-stress package package-check asan tsan fuzz fuzz-build fuzz-smoke format clean

all: build

deps:
	@scripts/install-deps.sh

build/build.ninja:
	cmake -S . -B build -G Ninja $(CMAKE_FLAGS)

fonts:
	@scripts/install-fonts.sh

build: deps fonts build/build.ninja
	cmake --build build -j$(JOBS)

run: build
	@PEDALS="$(PEDALS)" RUN_SECONDS="$(RUN_SECONDS)" scripts/run-simulated.sh

rules:
	@scripts/check-sources.sh

unit: rules build
	cd build && $(CTEST)

e2e-stress: build
	scripts/e2e-stress.sh build $(STRESS_RUNS) $(JOBS)

package: build
	rm -f build/package/harbrix_*.deb
	cmake --build build --target package

package-check: package
	scripts/check-package.sh build

build-asan/build.ninja:
	cmake -S . -B build-asan -G Ninja -DHARBRIX_SANITIZE=address -DHARBRIX_DEVICE_LAYER_ONLY=ON -DHARBRIX_SANITIZED_WINDOW_TESTS=ON -DCMAKE_BUILD_TYPE=Debug

asan: deps build-asan/build.ninja
	cmake --build build-asan -j$(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 $(CTEST)

build-tsan/build.ninja:
	cmake -S . -B build-tsan -G Ninja -DHARBRIX_SANITIZE=thread -DHARBRIX_THREADING_TESTS_ONLY=ON -DCMAKE_BUILD_TYPE=Debug

tsan: deps build-tsan/build.ninja
	cmake --build build-tsan -j$(JOBS)
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1 $(CTEST) -L threading

build-fuzz/build.ninja:
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DHARBRIX_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo

fuzz-build: deps build-fuzz/build.ninja
	cmake --build build-fuzz -j$(JOBS)

fuzz-smoke: fuzz-build
	scripts/run-fuzzers.sh build-fuzz $(SMOKE_SECONDS)

fuzz: fuzz-build
	scripts/run-fuzzers.sh build-fuzz $(FUZZ_SECONDS)

test: unit package-check asan tsan fuzz-smoke

format:
	find src apps tools tests bench fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan build-tsan build-fuzz
