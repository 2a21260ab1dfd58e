#!/usr/bin/env bash
# Installs the Fira Sans fonts (SIL Open Font License) from the font family's npm package
# into build/npm, and copies the four weights the screens use, with the licence, into the
# bundle's Resources/Fonts. Without npm or the registry the program falls back to the
# system sans-serif, so a failure here does not fail the build. The copies get a glyph for
# U+F888, the character preset names show "~" with (scripts/add-tilde-glyph.py, with
# Debian's python3-fonttools); without it such names show a box.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
package="@expo-google-fonts/fira-sans"
version="0.4.1"
prefix="$here/build/npm"
dest="${1:-$here/build/Harbrix.app/Contents/Resources/Fonts}"
source="$prefix/node_modules/$package"

installed_version() {
    [ -f "$source/package.json" ] || return 0
    sed -n 's/^ *"version": *"\([^"]*\)".*/\1/p' "$source/package.json" | head -n 1
}

if [ "$(installed_version)" != "$version" ]; then
    if ! command -v npm >/dev/null; then
        echo "fonts: npm not found; the system sans-serif will be used" >&2
        exit 0
    fi
    mkdir -p "$prefix"
    if ! npm install --prefix "$prefix" --no-audit --no-fund --loglevel=error "$package@$version"; then
        echo "fonts: could not install $package@$version; the system sans-serif will be used" >&2
        exit 0
    fi
fi

mkdir -p "$dest"
for pair in 400Regular:Regular 500Medium:Medium 500Medium_Italic:MediumItalic 700Bold:Bold; do
    folder=${pair%%:*}
    weight=${pair##*:}
    install -m 0644 "$source/$folder/FiraSans_$folder.ttf" "$dest/FiraSans-$weight.ttf"
done
install -m 0644 "$source/LICENSE_FONT" "$dest/OFL.txt"
if /usr/bin/python3 -c "import fontTools" 2>/dev/null; then
    /usr/bin/python3 "$here/scripts/add-tilde-glyph.py" "$dest"/FiraSans-*.ttf ||
        echo "fonts: U+F888 could not be added; names with \"~\" will show a box" >&2
else
    echo "fonts: python3-fonttools not found; names with \"~\" will show a box" >&2
fi
