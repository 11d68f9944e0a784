# make demo: install what the library and the program need, build only them, run the zorvane demo.
# make test: set up, build and run the whole suite in the default and asan presets.
# make fuzz: build the libFuzzer targets with clang and run each for FUZZ_SECONDS.

# What the library, the toolkit (OpenSSL; OpenLDAP and libcurl for its directory fetch; the
# PKCS#11 header) and the zorvane program need; the demo adds SoftHSM2 for its token; the
# tests, benchmarks and the package test need the rest (slapd and curl serve and check
# the directory fetch; strace and python3-cryptography serve the whole-process listing
# benchmark).
BUILD_PACKAGES := cmake ninja-build g++ make tzdata libssl-dev libldap-dev libcurl4-openssl-dev libp11-kit-dev
DEMO_PACKAGES := $(BUILD_PACKAGES) softhsm2
TEST_PACKAGES := pkg-config binutils python3 python3-cryptography strace openssl libgtest-dev libgmock-dev libbenchmark-dev \
                 softhsm2 opensc slapd ldap-utils curl
PACKAGES := $(BUILD_PACKAGES) $(TEST_PACKAGES)
FUZZ_PACKAGES := clang-14 clang libclang-rt-14-dev
FUZZ_SECONDS ?= 30

.PHONY: all deps build demo test test-default test-asan bench fuzz clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing: $$missing"; \
	    DEBIAN_FRONTEND=noninteractive apt-get update -qq && \
	    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	  else \
	    echo "Missing packages; run as root:"; echo "  apt-get install -y $$missing"; exit 1; \
	  fi; \
	fi

build: deps
	cmake --preset default
	cmake --build --preset default

demo:
	$(MAKE) deps PACKAGES="$(DEMO_PACKAGES)"
	cmake --preset default
	cmake --build --preset default --target zorvane_demo
	./build/default/work/zorvane demo

test: deps test-default test-asan

test-default:
	cmake --preset default
	cmake --build --preset default
	ctest --preset default

test-asan:
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

bench: build
	@for b in build/default/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

# New inputs go to build/fuzz/corpus/<target>; the seeds in fuzz/corpus stay as they are.
fuzz:
	$(MAKE) deps PACKAGES="$(PACKAGES) $(FUZZ_PACKAGES)"
	cmake --preset fuzz
	cmake --build --preset fuzz
	@for f in build/fuzz/fuzz/fuzz_*; do \
	  [ -x "$$f" ] || continue; name=$${f##*/fuzz_}; \
	  mkdir -p build/fuzz/corpus/$$name build/fuzz/artifacts; \
	  echo "== $$name"; \
	  "$$f" build/fuzz/corpus/$$name fuzz/corpus/$$name -max_total_time=$(FUZZ_SECONDS) \
	    -artifact_prefix=build/fuzz/artifacts/$$name- -print_final_stats=1 || exit 1; \
	done

clean:
	rm -rf build
