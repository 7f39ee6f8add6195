# Headless Chromium for the groups that check pages in a real browser;
# everything stays in the test's temporary folder. Sets `browser`, or exits
# 77 (skipped) where there is no chromium.
browser=$(command -v chromium || true)
if [ -z "$browser" ]; then
  echo "$group: SKIPPED, chromium is not installed (scripts/install-deps installs it)"
  exit 77
fi

# Headless Chromium on the page $1 with the options given; its log goes to
# chromium.log, a fresh profile each time.
chromium_on_page() {
  local page=$1 profile
  shift
  profile=$(mktemp -d "$work/profile.XXXXXX")
  timeout 90 "$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$profile" --enable-logging=stderr --v=0 "$@" "file://$page" \
    2>"$work/chromium.log"
}

# The page's own messages: console output, refused loads, failed requests.
expect_clean_load() {
  local messages
  messages=$(grep -E 'CONSOLE|violates|net::ERR_|Failed to load' "$work/chromium.log")
  [ -z "$messages" ] || fail "$1: the page did not load cleanly: $messages"
}
