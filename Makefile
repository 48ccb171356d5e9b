# The two commands: `make demo` and `make test`. Everything else is a step
# they run. Every binary is built twice: BUILD (default build/) is the x86_64
# tree, BUILD32 (default build-i686/) the i686 one; each tree has its own Wine
# prefix, so trees never disturb each other. ARCH=i686 makes `make demo` use
# the i686 tree.
BUILD ?= build
BUILD32 ?= $(BUILD)-i686
JOBS ?= 2
DIST ?= dist
TOOLCHAIN := cmake/mingw-w64-x86_64.cmake
TOOLCHAIN32 := cmake/mingw-w64-i686.cmake
WINE_ENV := tools/wine-env.sh
# Why the 32-bit Wine is missing, written by install-deps.
WINE32_STATUS := $(BUILD32)/wine32-unavailable.txt
ifeq ($(ARCH),i686)
DEMO_TREE := $(BUILD32)
else
DEMO_TREE := $(BUILD)
endif

.PHONY: all deps configure build check-exports prefix test demo dist clean

all: build

deps:
	@mkdir -p $(BUILD32)
	@tools/install-deps.sh $(WINE32_STATUS)

$(BUILD)/build.ninja: CMakeLists.txt $(TOOLCHAIN) | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=$(TOOLCHAIN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(BUILD32)/build.ninja: CMakeLists.txt $(TOOLCHAIN32) | deps
	cmake -S . -B $(BUILD32) -G Ninja -DCMAKE_TOOLCHAIN_FILE=$(TOOLCHAIN32) -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/build.ninja $(BUILD32)/build.ninja

# Both trees, then the comparison of their exports and type libraries.
build: configure
	ninja -C $(BUILD)
	ninja -C $(BUILD32)
	@tools/check-exports.sh $(BUILD) $(BUILD32)

check-exports:
	@tools/check-exports.sh $(BUILD) $(BUILD32)

# A tree's prefix: created once, the tree's components registered in it.
prefix-of = $(WINE_ENV) $(1) prefix && $(WINE_ENV) $(1) run sh $(1)/register-prefix.sh
# A tree's suite: its prefix's server started once, ctest, the server stopped.
suite-of = $(call prefix-of,$(1)) && $(WINE_ENV) $(1) start && \
	{ s=0; $(WINE_ENV) $(1) run ctest --test-dir $(1) --output-on-failure -j $(JOBS) || s=$$?; \
	  $(WINE_ENV) $(1) stop; [ $$s -eq 0 ]; }
# Why the i686 tree cannot run here, empty when it can.
why-no-32 = why=$$($(WINE_ENV) $(BUILD32) can-run) && why= || \
	{ [ ! -s $(WINE32_STATUS) ] || why=$$(cat $(WINE32_STATUS)); }

prefix: build
	@$(call prefix-of,$(BUILD))
	@$(why-no-32); if [ -z "$$why" ]; then $(call prefix-of,$(BUILD32)); fi

# The x86_64 suite, then the i686 suite where a 32-bit Wine exists; a
# missing one is said in one line and fails nothing, a failing suite does.
test: build
	@status=0; \
	echo "make test: x86_64 suite ($(BUILD))"; \
	$(call suite-of,$(BUILD)) || status=1; \
	$(why-no-32); \
	if [ -z "$$why" ]; then \
	    echo "make test: i686 suite ($(BUILD32))"; \
	    $(call suite-of,$(BUILD32)) || status=1; \
	else \
	    echo "make test: i686 suite SKIPPED, not run: $$why (the i686 build and its export check passed)"; \
	fi; \
	exit $$status

demo: prefix
	@$(WINE_ENV) $(DEMO_TREE) run sh tools/demo.sh $(DEMO_TREE)

# What a terminal needs, per architecture: $(DIST)/x86_64 and $(DIST)/i686.
dist: build
	@tools/make-dist.sh $(DIST)/x86_64 $(BUILD)
	@tools/make-dist.sh $(DIST)/i686 $(BUILD32)

clean:
	rm -rf $(BUILD) $(BUILD32) $(DIST)
