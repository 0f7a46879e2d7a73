# Cirrolith: `make demo` runs the slideshow on the demo catalogue,
# `make test` runs the whole suite. Both set up a fresh Debian machine first.

BUILD     ?= build
JOBS      ?= $(shell nproc)
SUDO      := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# Debian packages the build, the program, the tests and the demo need.
PACKAGES := cmake ninja-build g++ make pkg-config \
            qt6-base-dev qt6-image-formats-plugins qt6-webengine-dev \
            libcpp-httplib-dev libarchive-dev \
            libgtest-dev libgmock-dev libbenchmark-dev \
            libgif-dev gifsicle tinyproxy xvfb xauth \
            clang libclang-rt-14-dev fonts-dejavu-core xdg-utils

.PHONY: all deps configure build test demo bench clean

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

configure: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

demo: build
	./scripts/demo.sh $(BUILD)

bench: build
	@for b in $(BUILD)/bench/*; do [ -x "$$b" ] && "$$b"; done; true

clean:
	rm -rf $(BUILD)
