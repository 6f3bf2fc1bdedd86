# The two commands a newcomer needs: `make run` and `make test`.
BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
ARGS ?=
PREFIX ?= $(HOME)/.local
# systemd looks for a user's own units in $XDG_DATA_HOME/systemd/user, for
# everyone's in $(PREFIX)/lib/systemd/user.
USER_UNIT_DIR ?= $(if $(filter $(HOME)/%,$(PREFIX)),$(HOME)/.local/share/systemd/user,$(PREFIX)/lib/systemd/user)

.PHONY: all deps configure build run test test-sanitize fuzz bench format install uninstall clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@$(BUILD_DIR)/app/trovi $(ARGS)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# Same tests with AddressSanitizer + UndefinedBehaviorSanitizer and -Werror.
test-sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTROVI_SANITIZE=ON \
	  -DTROVI_WERROR=ON -DTROVI_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@cd $(SANITIZE_DIR) && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

# Each libFuzzer target for FUZZ_SECONDS, starting from the committed seeds;
# new inputs go to $(FUZZ_DIR)/corpus, findings to $(FUZZ_DIR)/findings.
fuzz: deps
	@CXX=clang++ cmake -S fuzz -B $(FUZZ_DIR) -G Ninja >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS)
	@mkdir -p $(FUZZ_DIR)/findings; passed=0; \
	for target in calculator snippet linkfile desktopentry browsertabs chromiumbookmarks \
	    firefoxplaces chromiumsession firefoxsession notionresponse notionreply instancerequest plaintext markdown html pdf office; do \
	  mkdir -p $(FUZZ_DIR)/corpus/$$target; \
	  log=$(FUZZ_DIR)/fuzz_$$target.log; \
	  if ! $(FUZZ_DIR)/fuzz_$$target $(FUZZ_DIR)/corpus/$$target fuzz/corpus/$$target \
	      -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
	      -artifact_prefix=$(FUZZ_DIR)/findings/$$target- >$$log 2>&1; then \
	    tail -n 40 $$log; echo "fuzz: $$passed passed, 1 failed"; exit 1; \
	  fi; \
	  passed=$$((passed + 1)); \
	  echo "fuzz_$$target: $$(grep -o 'number_of_executed_units: *[0-9]*' $$log | grep -o '[0-9]*$$') runs in $(FUZZ_SECONDS) s, no finding"; \
	done; \
	echo "fuzz: $$passed passed, 0 failed"

bench: build
	@bash bench/run.sh $(BUILD_DIR)

format: deps
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

# A per-user install by default; PREFIX=/usr/local (with sudo) for everyone.
# The desktop entry runs the installed binary by its absolute path.
install: build
	@install -Dm755 $(BUILD_DIR)/app/trovi $(DESTDIR)$(PREFIX)/bin/trovi
	@# The full program the small `trovi` front end loads, from ../lib/trovi.
	@install -Dm755 $(BUILD_DIR)/app/libtrovi-program.so $(DESTDIR)$(PREFIX)/lib/trovi/libtrovi-program.so
	@# Loaded at the first Notion search, from ../lib/trovi/ beside the binary.
	@install -Dm644 $(BUILD_DIR)/app/libtrovi-notion-http.so \
	  $(DESTDIR)$(PREFIX)/lib/trovi/libtrovi-notion-http.so
	@install -d $(DESTDIR)$(PREFIX)/share/applications
	@sed 's|^Exec=trovi$$|Exec=$(PREFIX)/bin/trovi|' data/trovi-launcher.desktop \
	  > $(DESTDIR)$(PREFIX)/share/applications/trovi-launcher.desktop
	@install -Dm644 data/trovi-launcher.svg \
	  $(DESTDIR)$(PREFIX)/share/icons/hicolor/scalable/apps/trovi-launcher.svg
	@install -Dm755 $(BUILD_DIR)/indexer/trovi-index $(DESTDIR)$(PREFIX)/bin/trovi-index
	@install -d $(DESTDIR)$(USER_UNIT_DIR)
	@sed 's|@BINDIR@|$(PREFIX)/bin|' indexer/trovi-index.service.in \
	  > $(DESTDIR)$(USER_UNIT_DIR)/trovi-index.service
	@echo "installed trovi and trovi-index in $(DESTDIR)$(PREFIX)/bin"
	@# The watcher starts now and at every login where a systemd user session runs.
	@if [ -z "$(DESTDIR)" ] && systemctl --user daemon-reload 2>/dev/null; then \
	  if systemctl --user enable --now trovi-index.service 2>/dev/null; then \
	    echo "started trovi-index.service (trovi-index --watch)"; \
	  else echo "enable trovi-index.service to keep the index current"; fi; \
	else echo "run 'trovi-index --watch' (or enable trovi-index.service) to keep the index current"; fi

# The login entry "Run at login" wrote goes too: left behind, it would start a
# program that is gone.
uninstall:
	@if [ -z "$(DESTDIR)" ]; then systemctl --user disable --now trovi-index.service 2>/dev/null || true; fi
	@rm -f $(DESTDIR)$(USER_UNIT_DIR)/trovi-index.service
	@if [ -z "$(DESTDIR)" ]; then systemctl --user daemon-reload 2>/dev/null || true; fi
	@rm -f $(DESTDIR)$(PREFIX)/bin/trovi $(DESTDIR)$(PREFIX)/bin/trovi-index \
	  $(DESTDIR)$(PREFIX)/lib/trovi/libtrovi-program.so \
	  $(DESTDIR)$(PREFIX)/lib/trovi/libtrovi-notion-http.so \
	  $(DESTDIR)$(PREFIX)/share/applications/trovi-launcher.desktop \
	  $(DESTDIR)$(PREFIX)/share/icons/hicolor/scalable/apps/trovi-launcher.svg \
	  "$${XDG_CONFIG_HOME:-$$HOME/.config}/autostart/trovi-launcher.desktop"
	@rmdir $(DESTDIR)$(PREFIX)/lib/trovi 2>/dev/null || true

clean:
	@rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
