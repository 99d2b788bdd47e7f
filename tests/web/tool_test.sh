#!/bin/sh
# velotrax-tool built for Node against the Linux tool: the race fingerprint
# (check, seeds 1 to 3, a rolls file, reloads, a random grid, on every shipped
# circuit) of both must be the same byte for byte.
#
#   tests/web/tool_test.sh LINUX_GAME_DIR WEB_BUILD_DIR
set -u
linux=$(cd "$1" && pwd) || exit 2
web=$(cd "$2" && pwd) || exit 2
[ -f "$web/game/velotrax-tool.js" ] || { echo "no velotrax-tool.js in $web/game" >&2; exit 2; }
tmp=$(mktemp -d) || exit 2
trap 'rm -rf "$tmp"' EXIT
# The fingerprint runs "velotrax-tool" from a game folder: Node's, here.
node_game=$tmp/node-game
mkdir -p "$node_game"
cp -R "$linux/The Velotrax.ini" "$linux/Data" "$linux/Circuits" "$node_game/"
cp "$web/game/velotrax-tool.js" "$web/game/velotrax-tool.wasm" "$node_game/"
cat >"$node_game/velotrax-tool" <<'TOOL'
#!/bin/sh
exec node --no-experimental-fetch "$(dirname "$0")/velotrax-tool.js" "$@"
TOOL
chmod +x "$node_game/velotrax-tool"
root=$(cd "$(dirname "$0")/../.." && pwd)
"$root/tools/race-fingerprint.sh" "$linux" "$tmp/linux" >/dev/null || exit 1
"$root/tools/race-fingerprint.sh" "$node_game" "$tmp/node" >/dev/null || exit 1
if diff -r "$tmp/linux" "$tmp/node" >"$tmp/diff"; then
  echo "ok    velotrax-tool under Node equals the Linux tool on $(ls "$tmp/linux" | grep -vc rolls.txt) circuits"
else
  head -n 40 "$tmp/diff"
  echo "FAIL  velotrax-tool under Node differs from the Linux tool"
  exit 1
fi
