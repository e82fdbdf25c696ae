#!/usr/bin/env bash
# Cross-builds quillet.exe for 64-bit Windows into build-windows/ (or
# $QUILLET_WINDOWS_BUILD_DIR).  wxWidgets for MSW is built once from Debian's
# own source package and kept outside the clone, in a directory named after
# what went into it (the wx version, the configure line, the compiler), so a
# change of any of them builds it afresh and nothing else ever does.
# Extra arguments go to the configure step of Quillet's build.
#   QUILLET_WX_ONLY=1   build (or find) wxMSW and print its install directory
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILLET_WINDOWS_BUILD_DIR:-$root/build-windows}
cache=${XDG_CACHE_HOME:-$HOME/.cache}/quillet
cc=x86_64-w64-mingw32-gcc-posix
cxx=x86_64-w64-mingw32-g++-posix

# Static and monolithic: one quillet.exe without DLLs beside it.  Debian's
# source lacks the bundled zlib, png, jpeg, tiff, expat and regex, so each is
# turned off; the features are those the program and its tests use.  The
# ole/variant and filedlg/treectrl/choice pairs depend on each other.
wx_configure=(
  --host=x86_64-w64-mingw32 --build=x86_64-pc-linux-gnu
  --with-msw --disable-shared --enable-monolithic --disable-all-features
  --without-zlib --without-libpng --without-libjpeg --without-libtiff
  --without-expat --without-regex --without-liblzma --without-nanosvg
  --without-opengl --without-subdirs --disable-tests
  --enable-controls --enable-menus --enable-menubar --enable-statusbar
  --enable-textctrl --enable-checkbox --enable-radiobtn --enable-button
  --enable-stattext --enable-statline --enable-statbox --enable-msgdlg
  --enable-commondlg --enable-filedlg --enable-treectrl --enable-choice
  --enable-imaglist --enable-accel --enable-validators --enable-tooltips
  --enable-mousewheel --enable-caret --enable-display --enable-ownerdrawn
  --enable-uxtheme --enable-wxdib --enable-dccache --enable-artstd
  --enable-image --enable-ico_cur --enable-clipboard --enable-dataobj
  --enable-dnd --enable-ole --enable-variant --enable-uiactionsim
  --enable-timer --enable-stopwatch --enable-log --enable-streams
  --enable-file --enable-ffile --enable-textbuf --enable-textfile
  --enable-config --enable-longlong --enable-datetime --enable-cmdline
  --enable-dynlib --enable-dynamicloader --enable-sysoptions --enable-regkey
  --enable-threads --enable-exceptions --enable-fontenum --enable-fontmap --enable-intl
)

command -v apt-get >/dev/null
wx_version=$(apt-cache showsrc wxwidgets3.2 2>/dev/null | sed -n 's/^Version: //p' | sort -V | tail -1)
[ -n "$wx_version" ] || {
  echo "build-windows: no source package wxwidgets3.2 (is deb-src enabled? scripts/install-deps.sh with QUILLET_WINDOWS=1 does it)" >&2
  exit 1
}
key=$(printf '%s\n' "$wx_version" "${wx_configure[*]}" "$($cxx --version | head -1)" \
      "$($cc --version | head -1)" | sha256sum | cut -c1-16)
wx=$cache/wxmsw-$key
if [ ! -x "$wx/bin/wx-config" ]; then
  echo "build-windows: building wxWidgets $wx_version for MSW into $wx (about 7 minutes)"
  start=$(date +%s)
  work=$cache/wxmsw-$key.work
  rm -rf "$work" && mkdir -p "$work"
  (cd "$work" && apt-get source -q --download-only "wxwidgets3.2=$wx_version" >/dev/null 2>&1 \
     && dpkg-source -x --skip-patches ./*.dsc src >/dev/null)
  mkdir -p "$work/build"
  (cd "$work/build" && CC=$cc CXX=$cxx ../src/configure --prefix="$wx.partial" \
     "${wx_configure[@]}" >configure.log 2>&1) || { tail -30 "$work/build/configure.log" >&2; exit 1; }
  make -C "$work/build" -j"$(nproc)" >"$work/build/make.log" 2>&1 \
    || { tail -30 "$work/build/make.log" >&2; exit 1; }
  rm -rf "$wx.partial"
  make -C "$work/build" install >/dev/null
  # wx-config names its prefix; the finished directory is the one it keeps.
  sed -i "s|$wx.partial|$wx|g" "$wx.partial/bin/wx-config" "$wx.partial"/lib/wx/config/*
  rm -rf "$wx" && mv "$wx.partial" "$wx"
  rm -rf "$work"
  echo "build-windows: wxMSW built in $(($(date +%s) - start)) s"
fi
if [ "${QUILLET_WX_ONLY:-0}" = 1 ]; then echo "$wx"; exit 0; fi

# -O2 as the Linux build has it (GCC 12's -O3 sees a write past an array in
# the decoder that no path makes); the symbols stripped from the program.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_EXE_LINKER_FLAGS_RELEASE=-s \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DwxWidgets_CONFIG_EXECUTABLE="$wx/bin/wx-config" -DQUILLET_BENCH=OFF "$@" >/dev/null
ninja -C "$build" -j"$(nproc)"
