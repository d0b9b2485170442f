#!/usr/bin/env bash
# Renders resources/images-src/*.svg into the PNGs, loading.gif and icon/logo.ico the client
# embeds. The rendered files are committed, so only someone changing an image needs
# rsvg-convert (librsvg2-bin) and ImageMagick.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
src=$root/resources/images-src
out=$root/resources/images
ico=$root/resources/icon
for tool in rsvg-convert convert; do
  command -v "$tool" >/dev/null || { echo "render-images: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
mkdir -p "$out" "$ico"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# output name, source, width, height: the pixel size each screen shows the image at.
images="
smallLogo            logoMark             30  18
middleLogo           logoMark             80  48
largeLogo            logoMark            120  72
logo                 logo                256 256
windowIcon16         logo                 16  16
windowIcon32         logo                 32  32
windowIcon48         logo                 48  48
minimize             minimize             12  12
minimizeHover        minimizeHover        12  12
close                close                12  12
closeHover           closeHover           12  12
return               return               12  12
returnHover          returnHover          12  12
mtgJoin              mtgJoin              50  50
mtgJoinHover         mtgJoinHover         50  50
mtgQuick             mtgQuick             50  50
mtgQuickHover        mtgQuickHover        50  50
mtgCreate            mtgCreate            50  50
mtgCreateHover       mtgCreateHover       50  50
mtgCast              mtgCast              50  50
mtgCastHover         mtgCastHover         50  50
mtgSet               mtgSet               20  20
mtgEmpty             mtgEmpty            145 145
mtgActTip            mtgActTip            20  20
dot                  dot                   6   6
edit                 edit                 20  20
checkboxChecked      checkboxChecked      14  14
checkboxUnchecked    checkboxUnchecked    14  14
radioButtonChecked   radioButtonChecked   14  14
radioButtonUnchecked radioButtonUnchecked 14  14
calendar             calendar             16  16
calendar_hover       calendar_hover       16  16
clock                clock                16  16
clock_hover          clock_hover          16  16
step_up              step_up              10   6
step_up_hover        step_up_hover        10   6
step_down            step_down            10   6
step_down_hover      step_down_hover      10   6
down                 down                 12   8
downHover            downHover            12   8
white_down           white_down           10   6
halfQrcode           halfQrcode           60  60
halfPc               halfPc               60  60
phone                phone                16  16
account              account              16  16
signComplete         signComplete         48  48
"

while read -r name source w h; do
  [ -n "$name" ] || continue
  rsvg-convert -w "$w" -h "$h" -o "$tmp/$name.png" "$src/$source.svg"
  # Re-encode without time stamps or text chunks so unchanged sources give identical files.
  convert "$tmp/$name.png" -strip -define png:color-type=6 "PNG32:$out/$name.png"
  # Twice the pixels for screens scaled by 2: Qt picks name@2x.png by itself.
  case $name in logo | windowIcon*) continue ;; esac
  rsvg-convert -w $((w * 2)) -h $((h * 2)) -o "$tmp/$name@2x.png" "$src/$source.svg"
  convert "$tmp/$name@2x.png" -strip -define png:color-type=6 "PNG32:$out/$name@2x.png"
done <<<"$images"

# Busy animation: three dots lighting up in turn, 12 frames. GIF transparency is one bit,
# so the dots are smoothed against white, the panel colour they are shown on.
frames=12
for ((f = 0; f < frames; f++)); do
  sed_args=()
  for i in 1 2 3; do
    read -r r c < <(awk -v f="$f" -v n="$frames" -v i="$i" 'BEGIN {
      pi = atan2(0, -1); a = 0.5 + 0.5 * cos(2 * pi * (f / n - (i - 1) / 3));
      r = 2.6 + 1.6 * a;
      printf "%.2f #%02X%02X%02X\n", r, 217 * (1 - a), 234 - 123 * a, 255 }')
    sed_args+=(-e "s/@R$i@/$r/" -e "s/@C$i@/$c/")
  done
  sed "${sed_args[@]}" "$src/loading.svg" > "$tmp/frame.svg"
  rsvg-convert -b white -o "$tmp/frame$(printf %02d "$f").png" "$tmp/frame.svg"
done
convert -delay 10 -dispose Background "$tmp"/frame*.png -transparent white -loop 0 "$out/loading.gif"

# Window icon beside the executable (for the Meeting SDK), in the sizes Windows picks from:
# the same renderings the program's own windows take from the resources.
convert "$tmp/windowIcon16.png" "$tmp/windowIcon32.png" "$tmp/windowIcon48.png" "$tmp/logo.png" "$ico/logo.ico"

# The resource file lists exactly the files that exist, so a build never meets a missing entry.
qrc=$root/resources/resources.qrc
{
  echo '<RCC>'
  echo '    <qresource prefix="/image">'
  (cd "$root/resources" && LC_ALL=C ls images/*.png images/*.gif) | sed 's|.*|        <file>&</file>|'
  echo '    </qresource>'
  echo '    <qresource prefix="/qss">'
  echo '        <file>style/style.qss</file>'
  echo '    </qresource>'
  echo '</RCC>'
} > "$qrc"
[ -e "$root/resources/style/style.qss" ] || : > "$root/resources/style/style.qss"

echo "render-images: $(wc -w <<<"$images" | awk '{print $1 / 4}') images, loading.gif and icon/logo.ico written"
