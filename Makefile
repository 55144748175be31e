# SPDX-FileCopyrightText: 2026 The Cantorel developers
#
# SPDX-License-Identifier: MIT

# The two commands a newcomer needs: `make run` and `make test`.
# Both install what is missing first (Debian packages), then configure and build.

JOBS  ?= $(shell nproc)

# The folder `make run` starts Cantorel in: MUSIC taken as written, whatever it holds
# ($, blanks, quotes), for neither make nor the shell to expand; by default a small folder
# of generated sample audio files.
ifeq ($(origin MUSIC),undefined)
music_folder := $(CURDIR)/build/dev/sample-music
else
music_folder := $(value MUSIC)
endif
# $(call quoted,TEXT): TEXT as one word of the shell, in single quotes.
quoted = '$(subst ','\'',$(1))'

.PHONY: run test test-asan build build-asan deps deps-build bench clean check-windows deb

deps-build:
	@scripts/install-deps build

deps:
	@scripts/install-deps

build: deps-build
	cmake --preset dev
	cmake --build --preset dev -j $(JOBS)

build-asan: deps-build
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)

# Builds only what the program needs (itself, its catalogues, the sample folder), then
# starts it in the folder MUSIC names.
run: deps-build
	cmake --preset dev
	cmake --build --preset dev -j $(JOBS) --target Cantorel Cantorel_lrelease sample_music
	cd $(call quoted,$(music_folder)) && $(call quoted,$(CURDIR)/build/dev/shell/Cantorel)

test: deps build
	ctest --preset dev

test-asan: deps build-asan
	ctest --preset asan

bench: build
	@for b in build/dev/bench/bench_*; do echo "== $$b"; "$$b" || exit 1; done

# The Debian package, written into build/deb/ (cantorel_<version>_<arch>.deb).
deb: build
	cpack --config build/dev/CPackConfig.cmake -B build/deb

# Builds the Windows drive-and-folder layer and the save's last steps (playlist/win/) with
# mingw-w64 and runs their checks under Wine; compiles the core's other Windows files.
check-windows: deps
	tests/foldertree/windows/check.sh

clean:
	rm -rf build
