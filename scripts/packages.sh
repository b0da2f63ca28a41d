# Sourced by setup.sh and fuzz.sh: the Debian packages the project builds and
# tests with, and install_missing, which installs with apt-get whichever of
# the packages it is given are not installed yet (nothing when all are).

build_packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libcurl4-openssl-dev libpugixml-dev libjpeg62-turbo-dev
)
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
  zlib1g-dev libpng-dev libgif-dev libgumbo-dev libdeflate-dev libspng-dev libimagequant-dev
  tinyproxy giflib-tools gifsicle pngcheck imagemagick libxml2-utils
)

install_missing() {
  local missing=() p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  ((${#missing[@]})) || return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
