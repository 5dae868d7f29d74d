# A thin door to scripts/setup.sh and CMake; the real work lives there.
.PHONY: all build run test test-asan bench compare fuzz screenshots mutate clean

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

fuzz:
	scripts/setup.sh fuzz
	scripts/fuzz.sh

screenshots: build
	scripts/screenshots.sh

# Mutation testing: make mutate FILES="export/csv_files.cpp reports/date_range.cpp" [N=40] [SEED=1]
N ?= 40
SEED ?= 1
mutate:
	@test -n "$(FILES)" || { echo 'make mutate FILES="path/to/file.cpp ..." [N=40] [SEED=1]'; exit 2; }
	python3 scripts/mutate.py -n $(N) --seed $(SEED) $(FILES)

clean:
	rm -rf build build-asan build-bench build-fuzz build-mutate
