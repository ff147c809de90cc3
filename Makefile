# The two commands of the README: `make demo` and `make test`.
# Both check the Debian packages first (`make deps`).

BUILD_DIR ?= build
GENERATOR := Ninja
JOBS ?= $(shell nproc)

# Debian packages the build and the tests need.
DEB_PACKAGES := cmake ninja-build g++ pkg-config \
  libgtest-dev libgmock-dev libbenchmark-dev \
  libicu-dev libxml2-dev \
  libsqlite3-dev sqlite3 libpq-dev postgresql \
  libfreetype-dev libfontconfig-dev libpng-dev libjpeg-dev zlib1g-dev poppler-utils qpdf fonts-noto-cjk fonts-dejavu-core

.PHONY: deps configure build test demo clean

deps:
	@./tools/check-deps.sh $(DEB_PACKAGES)

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 600

demo: build
	@./tools/demo.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
