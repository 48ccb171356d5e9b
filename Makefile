# The two commands: `make demo` and `make test`. Everything else is a step
# they run. BUILD picks the build tree (default build/); each tree has its own
# Wine prefix, so trees never disturb each other.
BUILD ?= build
JOBS ?= 2
TOOLCHAIN := cmake/mingw-w64-x86_64.cmake
WINE_ENV := tools/wine-env.sh

.PHONY: all deps configure build prefix test demo clean

all: build

deps:
	@tools/install-deps.sh

$(BUILD)/build.ninja: CMakeLists.txt $(TOOLCHAIN) | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=$(TOOLCHAIN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/build.ninja

build: configure
	ninja -C $(BUILD)

prefix: build
	@$(WINE_ENV) $(BUILD) prefix
	@$(WINE_ENV) $(BUILD) run sh $(BUILD)/register-prefix.sh

test: prefix
	@$(WINE_ENV) $(BUILD) start
	@status=0; \
	$(WINE_ENV) $(BUILD) run ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) || status=$$?; \
	$(WINE_ENV) $(BUILD) stop; \
	exit $$status

demo: prefix
	@$(WINE_ENV) $(BUILD) run sh tools/demo.sh $(BUILD)

clean:
	rm -rf $(BUILD)
