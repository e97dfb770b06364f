# The user's commands. CMake does the building; these targets only choose
# the build folder and the options.
#   make           release build, programs in build/bin
#   make test      sanitized build (ASan + UBSan) and every test through CTest
#   make demo      release build, then the showcase on generated samples (out/)
#   make bench     release build, then the benchmarks
#   make install PREFIX=/usr/local
#   make fuzz SECONDS=N   clang build of the fuzzing harnesses, each run N
#                         seconds under ASan and UBSan (fails on a finding)

PREFIX ?= /usr/local
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all release test demo bench install fuzz clean

all: release

release:
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DIMSUITE_TESTS=OFF
	cmake --build build -j $(JOBS)

test:
	cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON -DIMSUITE_BENCH=OFF
	cmake --build build-test -j $(JOBS)
	ctest --test-dir build-test --output-on-failure -j $(JOBS)

demo: release
	examples/demo.sh build/bin out

bench: release
	bench/run.sh build/bin

SECONDS ?= 20
fuzz:
	fuzz/build.sh $(JOBS)
	fuzz/seeds.sh >/dev/null
	fuzz/run.sh $(SECONDS)

install: release
	cmake --install build --prefix $(PREFIX)

clean:
	rm -rf build build-test build-fuzz out fuzz/corpus fuzz/findings
