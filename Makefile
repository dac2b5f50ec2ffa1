# make run  : install what is missing, build the program, its library, language
#             packs and the simulated controller only, install them into run/
#             and start Tavrelo there (its settings and screens stay in run/)
# make test : install what is missing, build, run every test (also under AddressSanitizer),
#             then each fuzz target for a few seconds
# make fuzz : build the fuzz targets (clang, libFuzzer) and run each for FUZZ_TIME seconds
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
# The program keeps config.ini, usr.ini and userdata/ beside itself: it runs
# from this folder, which `make clean` leaves alone.
RUN_DIR    ?= run
RUN_TARGETS := Tavrelo Sorvane lang_packs sim_controller
FUZZ_TIME  ?= 60
FUZZ_SMOKE_TIME ?= 5
FUZZ_TARGETS ?=
JOBS       ?= $(shell nproc)
GEN        := -G Ninja

# make bench-window : the window as the operator meets it (tests/bench/window/),
#             BENCH_RUNS passes on a virtual display of its own
BENCH_RUNS ?= 5

.PHONY: bench-window run run-build run-folder test build deps test-plain test-asan tsan clean fuzz fuzz-build fuzz-smoke fuzz-seeds

deps:
	@bash scripts/setup.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(ASAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(ASAN_BUILD) $(GEN) -DCMAKE_BUILD_TYPE=Debug -DTAVRELO_SANITIZE=ON -DTAVRELO_BUILD_APP=ON

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run-build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target $(RUN_TARGETS)

# Copies what the program needs into the run folder; its files there are kept.
run-folder: run-build
	cmake --install $(BUILD) --prefix $(RUN_DIR) --component run

run: run-folder
	cd $(RUN_DIR) && ./Tavrelo

bench-window: run-build
	cmake --build $(BUILD) -j $(JOBS) --target bench_window
	cmake --install $(BUILD) --prefix $(BUILD)/bench-window/install --component run
	$(BUILD)/tests/bench_window --install $(BUILD)/bench-window/install --runs $(BENCH_RUNS)

test-plain: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The sanitizer settings also cover test discovery during the build. Benchmarks
# run in the plain build only: they measure, the sanitizer run checks.
test-asan: export ASAN_OPTIONS = detect_leaks=1
test-asan: export LSAN_OPTIONS = suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0
test-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS) -LE bench

# The preview's players, a send through another screen's link and the jobs
# beside the window's readers under ThreadSanitizer: only those tests, so it
# stays quick.
$(TSAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(TSAN_BUILD) $(GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRELO_BUILD_APP=ON -DTAVRELO_TSAN=ON

tsan: export TSAN_OPTIONS = halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/tsan.supp
tsan: deps $(TSAN_BUILD)/build.ninja
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target preview_tests link_race_tests job_race_tests race_canary
	cd $(TSAN_BUILD) && QT_QPA_PLATFORM=offscreen ./tests/preview_tests
	cd $(TSAN_BUILD) && QT_QPA_PLATFORM=offscreen ./tests/link_race_tests
	cd $(TSAN_BUILD) && QT_QPA_PLATFORM=offscreen ./tests/job_race_tests
	tests/race/expect_race.sh $(TSAN_BUILD)/tests/race_canary $(CURDIR)/tests/tsan.supp

$(FUZZ_BUILD)/build.ninja: | deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRELO_FUZZ=ON

fuzz-build: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz: fuzz-build
	bash scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_TIME) keep $(FUZZ_TARGETS)

fuzz-smoke: fuzz-build
	bash scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SMOKE_TIME) fresh $(FUZZ_TARGETS)

# Rewrites the seed corpora in fuzz/corpus from the libraries' builders.
fuzz-seeds: fuzz-build
	$(FUZZ_BUILD)/fuzz/fuzz_seeds fuzz/corpus

test: test-plain test-asan tsan fuzz-smoke

# The run folder holds the operator's settings and screens: never removed here.
clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
