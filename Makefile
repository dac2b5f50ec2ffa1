# make run  : install what is missing, build, start Tavrelo
# make test : install what is missing, build, run every test (also under AddressSanitizer)
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
GEN        := -G Ninja

.PHONY: run test build deps test-plain test-asan clean

deps:
	@bash scripts/setup.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(ASAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(ASAN_BUILD) $(GEN) -DCMAKE_BUILD_TYPE=Debug -DTAVRELO_SANITIZE=ON -DTAVRELO_BUILD_APP=ON

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD)/bin && ./Tavrelo

test-plain: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The sanitizer settings also cover test discovery during the build.
test-asan: export ASAN_OPTIONS = detect_leaks=1
test-asan: export LSAN_OPTIONS = suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0
test-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

test: test-plain test-asan

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
