#!/usr/bin/env bash
# Installs everything both builds need and prepares libpng and LittleCMS for the Windows cross
# build.
# Idempotent: when everything is already in place it returns at once.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
deps="$root/build/deps"

packages=(
  # Linux build and tests
  build-essential cmake ninja-build pkg-config libpng-dev zlib1g-dev liblcms2-dev libgtest-dev
  googletest
  clang libclang-rt-14-dev
  # independent readers used by the tests
  pngcheck python3-pil python3-numpy imagemagick time
  # the manifest's schema, and a second reader of what layers hold besides pixels
  python3-jsonschema python3-psd-tools
  # a scheduler that spreads runs of the command-line tool (its test)
  parallel
  # Windows cross build
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev dpkg-dev
  # the program's icon is drawn at build time (scripts/make-icon.py)
  python3
  # running the Windows build (fonts-wine: Wine's own fonts, Marlett among them, which draws
  # the buttons of the title bars)
  wine wine64 fonts-wine xvfb xauth locales fonts-vlgothic
  # the release packages: the manual page's checks (man and groff) and the zip's
  man-db groff-base unzip
)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  as_root apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The posix thread model of mingw-w64 is the one the Windows build needs (std::thread, std::mutex).
if [ "$(readlink -f /etc/alternatives/x86_64-w64-mingw32-g++ 2>/dev/null)" != "/usr/bin/x86_64-w64-mingw32-g++-posix" ]; then
  as_root update-alternatives --set x86_64-w64-mingw32-g++ /usr/bin/x86_64-w64-mingw32-g++-posix >/dev/null
  as_root update-alternatives --set x86_64-w64-mingw32-gcc /usr/bin/x86_64-w64-mingw32-gcc-posix >/dev/null
fi

# Wine takes its ANSI code page from the locale: ja_JP gives code page 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP'; then
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'ja_JP.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi

# Debian's source packages of the libraries the Windows programs link, fetched once into
# build/deps/src.
fetch_source() {
  local package=$1 pattern=$2
  ls "$deps"/src/$pattern >/dev/null 2>&1 && return 0
  local srclist=/etc/apt/sources.list.d/quillmark-src.sources
  if [ ! -f "$srclist" ]; then
    printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm' \
      'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
      as_root tee "$srclist" >/dev/null
    as_root apt-get update -q
  fi
  mkdir -p "$deps/src"
  (cd "$deps/src" && apt-get source --download-only "$package/bookworm")
}

# libpng for mingw, built from Debian's own source package into build/deps/mingw.
if [ ! -f "$deps/mingw/lib/libpng16.a" ]; then
  fetch_source libpng1.6 'libpng1.6_*.orig.tar.*'
  rm -rf "$deps/libpng-src" "$deps/libpng-build"
  mkdir -p "$deps/libpng-src"
  tar -xf "$(ls "$deps"/src/libpng1.6_*.orig.tar.* | head -n 1)" -C "$deps/libpng-src" --strip-components=1
  cmake -S "$deps/libpng-src" -B "$deps/libpng-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps/mingw" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a \
    -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include >/dev/null
  cmake --build "$deps/libpng-build" --target install >/dev/null
  echo "setup: libpng for mingw in $deps/mingw"
fi

# LittleCMS for mingw, from Debian's source package with Debian's patches applied, its library
# sources compiled straight into a static library in build/deps/mingw.
if [ ! -f "$deps/mingw/lib/liblcms2.a" ]; then
  fetch_source lcms2 'lcms2_*.dsc'
  rm -rf "$deps/lcms2-src" "$deps/lcms2-build"
  dpkg-source --no-check -x "$(ls "$deps"/src/lcms2_*.dsc | head -n 1)" "$deps/lcms2-src" >/dev/null
  mkdir -p "$deps/lcms2-build" "$deps/mingw/lib" "$deps/mingw/include"
  ls "$deps"/lcms2-src/src/*.c | xargs -P "$(nproc)" -I{} sh -c \
    'x86_64-w64-mingw32-gcc-posix -O2 -DNDEBUG -I"$1/include" -c "$2" -o "$3/$(basename "$2" .c).o"' \
    _ "$deps/lcms2-src" {} "$deps/lcms2-build"
  x86_64-w64-mingw32-ar rcs "$deps/mingw/lib/liblcms2.a" "$deps"/lcms2-build/*.o
  cp "$deps"/lcms2-src/include/lcms2.h "$deps/mingw/include/"
  echo "setup: LittleCMS for mingw in $deps/mingw"
fi
