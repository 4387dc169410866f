#!/bin/sh
# Installs the build into a temporary prefix with DESTDIR and checks the installed program the
# way a user meets it: the file list, both programs run from there, the player keeps its
# settings and playlist in $HOME/.config/torvanell, the menu entry and metainfo validate, both
# manual pages render and name every option the programs' own help lists.
#
# usage: install_test.sh BUILD_DIR FIXTURE
set -eu
build=$1
fixture=$2
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

prefix=/opt/tv-test
DESTDIR="$work/root" cmake --install "$build" --prefix "$prefix" >/dev/null
root="$work/root$prefix"

for f in bin/torvanell bin/torvanell-tag share/applications/org.torvanell.Torvanell.desktop \
         share/icons/hicolor/scalable/apps/torvanell.svg \
         share/icons/hicolor/48x48/apps/torvanell.png \
         share/icons/hicolor/256x256/apps/torvanell.png \
         share/metainfo/org.torvanell.Torvanell.metainfo.xml \
         share/man/man1/torvanell.1.gz share/man/man1/torvanell-tag.1.gz \
         share/torvanell/installed; do
    [ -s "$root/$f" ] || fail "$f not installed"
done
for size in 48 256; do
    file "$root/share/icons/hicolor/${size}x${size}/apps/torvanell.png" |
        grep -q "$size x $size" || fail "the $size pixel icon has the wrong size"
done

"$root/bin/torvanell" --version | grep -q '^Torvanell [0-9]' || fail "installed --version"
"$root/bin/torvanell-tag" show --json "$fixture" > "$work/show.json" || fail "installed torvanell-tag"
python3 -c 'import json,sys; d=json.loads(open(sys.argv[1]).readline()); assert d["path"]' \
    "$work/show.json" || fail "torvanell-tag show --json printed no JSON object"

desktop-file-validate "$root/share/applications/org.torvanell.Torvanell.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/share/metainfo/org.torvanell.Torvanell.metainfo.xml" >/dev/null ||
    fail "appstreamcli validate"

# Every option of the programs' own help is in their manual page, and both pages render.
for page in torvanell torvanell-tag; do
    LC_ALL=C MANWIDTH=1000 man -l "$root/share/man/man1/$page.1.gz" > "$work/$page.txt" 2>"$work/man.err" ||
        fail "man -l $page"
    [ -s "$work/$page.txt" ] || fail "man -l $page rendered nothing"
    ! [ -s "$work/man.err" ] || { cat "$work/man.err"; fail "man -l $page warned"; }
    "$root/bin/$page" --help > "$work/$page.help"
    for option in $(grep -o -- '--[a-z][a-z-]*' "$work/$page.help" | sort -u); do
        grep -q -- "$option" "$work/$page.txt" || fail "$page.1 lacks $option"
    done
done

# The installed player, started with a fresh HOME, keeps its files in ~/.config/torvanell.
home="$work/home"
mkdir -p "$home"
cat > "$work/run.sh" <<INNER
#!/bin/sh
env -u TORVANELL_HOME -u XDG_CONFIG_HOME HOME="$home" TORVANELL_WARNINGS_TO_STDERR=1 \
    SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb "$root/bin/torvanell" 2> "$work/stderr.txt" &
pid=\$!
sleep 3
kill -TERM \$pid
wait \$pid
echo \$? > "$work/status"
INNER
chmod +x "$work/run.sh"
xvfb-run -a -s "-screen 0 1024x768x24" "$work/run.sh"
[ "$(cat "$work/status")" = 0 ] || { cat "$work/stderr.txt"; fail "player exit status $(cat "$work/status")"; }
for f in settings.ini default.m3u; do
    [ -f "$home/.config/torvanell/$f" ] || fail "$f not written to \$HOME/.config/torvanell"
    [ ! -e "$root/bin/$f" ] || fail "$f written beside the installed program"
done
echo "install test passed"
