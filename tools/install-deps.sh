#!/usr/bin/env bash
# Installs what building and testing Tarvelo needs on Debian 12, asking apt
# only for the packages that are missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config   # build
  libtiff-dev                        # the TIFF library: the one dependency
  zlib1g-dev                         # Flate coding of the PDF's non-bilevel images
  googletest libgtest-dev            # tests
  qpdf poppler-utils mupdf-tools     # PDF checks in tests: qpdf --check, pdfimages, pdftoppm, mutool
  netpbm ghostscript                 # independent fax encoders for decoder tests
  imagemagick                        # independent writers of CALS, DCX and BMP files for reader tests
  locales                            # locale sources: numbers in the PDF are tested under a comma locale
  time                               # bench/run.sh: peak memory of each run
  qt6-base-dev                       # the window (Qt 6 Widgets)
  xvfb xauth xdotool                 # window tests in a virtual X server
  man-db groff-base                  # the man pages' rendering check
  desktop-file-utils                 # desktop-file-validate for the desktop entry
  parallel                           # tarvelo-parallel and its test
  clang                              # CI builds with clang as well as GCC
  dpkg-dev file                      # the Debian packages: dependencies found by dpkg-shlibdeps
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
