# Cirrolith: `make demo` runs the slideshow on the demo catalogue (on port
# DEMO_PORT), `make test` runs the whole suite, `make package` builds the
# Debian package. Both set up a fresh Debian machine first;
# the demo installs and builds only what the program, the reference server
# and the demo need.

BUILD     ?= build
JOBS      ?= $(shell nproc)
DEMO_PORT ?= 8473
SUDO      := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
# ccache, where the machine has it, lets a second work tree reuse the first's objects.
CCACHE    := $(shell command -v ccache 2>/dev/null)
CMAKE_CONFIGURE := cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
                   $(if $(CCACHE),-DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE) -DCMAKE_C_COMPILER_LAUNCHER=$(CCACHE))

# Debian packages the build, the program, the reference server and the demo need.
DEMO_PACKAGES := cmake ninja-build g++ make pkg-config \
                 qt6-base-dev qt6-image-formats-plugins qt6-webengine-dev \
                 libcpp-httplib-dev libarchive-dev fonts-dejavu-core xdg-utils \
                 qt6-base-private-dev qt6-wayland libwayland-dev wayland-protocols libxcb1-dev \
                 libxcb-dpms0-dev libmosquitto-dev
# And those the tests, benchmarks and fuzz targets add.
TEST_PACKAGES := libgtest-dev libgmock-dev libbenchmark-dev \
                 libgif-dev gifsicle tinyproxy xvfb xauth xdotool dbus-daemon \
                 libx11-dev clang libclang-rt-14-dev \
                 dpkg-dev systemd cage xwayland sway wtype lintian mosquitto mosquitto-clients \
                 feh python3-pyqt6.qtwebengine
# And what packing the program as a Debian package needs.
PACKAGE_PACKAGES := dpkg-dev
PACKAGES      := $(DEMO_PACKAGES) $(TEST_PACKAGES)
# What the demo runs: the program, the catalogue server, the demo web root.
DEMO_TARGETS  := cirrolith cirrolith-catalogue-server cirrolith-demo

.PHONY: all deps demo-deps configure demo-configure build test demo package bench clean

all: build

# Installs the packages of $(1) that are missing.
define install_missing
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
endef

# A build tree copied from another work tree still names that tree in its
# cache, its Ninja rules and its packaging and install scripts: building or
# packaging from it would read and write the original. It is set up anew
# here (the objects stay; Ninja rebuilds what it must).
define forget_foreign_build_tree
	@if [ -f $(BUILD)/CMakeCache.txt ]; then \
	  configured=$$(sed -n 's/^CMAKE_CACHEFILE_DIR:INTERNAL=//p' $(BUILD)/CMakeCache.txt); \
	  here=$$(cd $(BUILD) && pwd -P); \
	  if [ -n "$$configured" ] && [ "$$(cd "$$configured" 2>/dev/null && pwd -P)" != "$$here" ]; then \
	    echo "$(BUILD) was configured in $$configured; configuring it anew here"; \
	    rm -rf $(BUILD)/CMakeCache.txt $(BUILD)/CMakeFiles $(BUILD)/build.ninja $(BUILD)/CPackConfig.cmake \
	           $(BUILD)/CPackSourceConfig.cmake; \
	  fi; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

demo-deps:
	$(call install_missing,$(DEMO_PACKAGES))

# The full build: tests on (a build tree made by the demo is switched over).
configure: deps
	$(call forget_foreign_build_tree)
	@if [ ! -f $(BUILD)/build.ninja ] || ! grep -qs '^CIRROLITH_TESTS:BOOL=ON' $(BUILD)/CMakeCache.txt; then \
	  $(CMAKE_CONFIGURE) -DCIRROLITH_TESTS=ON; \
	fi

# The demo keeps whatever build tree is there, or makes one without tests.
demo-configure: demo-deps
	$(call forget_foreign_build_tree)
	@[ -f $(BUILD)/build.ninja ] || $(CMAKE_CONFIGURE) -DCIRROLITH_TESTS=OFF

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

demo: demo-configure
	cmake --build $(BUILD) -j $(JOBS) --target $(DEMO_TARGETS)
	CIRROLITH_DEMO_PORT=$(DEMO_PORT) ./scripts/demo.sh $(BUILD)

# The Debian package of the program (build/cirrolith_<version>_<arch>.deb).
package: demo-configure
	$(call install_missing,$(PACKAGE_PACKAGES))
	cmake --build $(BUILD) -j $(JOBS) --target cirrolith cirrolith_manpage
	cd $(BUILD) && cpack -G DEB

bench: build
	@for b in $(BUILD)/bench/*; do [ -x "$$b" ] && "$$b"; done; true

clean:
	rm -rf $(BUILD)
