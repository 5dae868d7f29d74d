# A thin door to scripts/setup.sh and CMake; the real work lives there.
.PHONY: all build run test test-asan bench compare fuzz fuzz-build screenshots package package-check mutate clean

all: build

build:
	scripts/setup.sh default

run: build
	scripts/run.sh

test: build
	cd build && ctest --output-on-failure --parallel 2 --timeout 600

test-asan:
	scripts/setup.sh asan
	cd build-asan && ctest --output-on-failure --parallel 2 --timeout 1200

bench:
	scripts/setup.sh bench
	scripts/bench.sh

# Quidora beside ledger, hledger and plain sqlite3 on the same data (docs/PERFORMANCE.md).
compare:
	scripts/setup.sh bench
	python3 bench/compare/compare.py $(COMPARE_ARGS)

fuzz: fuzz-build
	scripts/fuzz.sh

# The fuzz targets built, not run: CI builds them so that they cannot break unnoticed.
fuzz-build:
	scripts/setup.sh fuzz

screenshots: build
	scripts/screenshots.sh

# The Debian package build/quidora_VERSION_amd64.deb, checked by lintian, appstreamcli,
# desktop-file-validate and man.
package:
	scripts/package.sh

# The package installed, run and purged in a minimal Debian 12 root (needs root or sudo and the
# network to the Debian archive; minutes). Not part of `make test`.
package-check:
	scripts/package-check.sh

# Mutation testing: make mutate FILES="export/csv_files.cpp reports/date_range.cpp" [N=40] [SEED=1]
N ?= 40
SEED ?= 1
mutate:
	@test -n "$(FILES)" || { echo 'make mutate FILES="path/to/file.cpp ..." [N=40] [SEED=1]'; exit 2; }
	python3 scripts/mutate.py -n $(N) --seed $(SEED) $(FILES)

clean:
	rm -rf build build-asan build-bench build-fuzz build-mutate
