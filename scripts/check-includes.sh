#!/usr/bin/env bash
# Includes run one way: app/ -> view/, edit/, windows/ -> edit/pane/ and app/platform/ -> core/.
# Fails when a file includes a layer above its own, when a core/ file includes anything but core
# files, Qt Core and Gui and the system's own headers, when the pane and the HTML colouring include
# each other, or when a core/ file is missing from its folder's CMakeLists.txt. The preview module
# (the files view/CMakeLists.txt gives tavropreview) is view/ code the program loads at run time:
# no other file includes its headers or the browser engine's; they reach it through
# view/PreviewEngine.h.
set -euo pipefail
cd "$(dirname "$0")/.."
qt=$(qtpaths6 --query QT_INSTALL_HEADERS 2>/dev/null || echo /usr/include/x86_64-linux-gnu/qt6)
layer() {
  case $1 in
    */core/*) echo 0 ;;
    app/platform/*|edit/pane/*) echo 1 ;;
    edit/*|view/*|windows/*) echo 2 ;;
    app/*) echo 3 ;;
    *) echo 9 ;;
  esac
}
module=$(sed -n '/^target_sources(tavropreview/,/)/p' view/CMakeLists.txt | tr -s ' ' '\n' |
         sed -nE 's#^([A-Za-z]+\.(cpp|h))$#view/\1#p')
in_module() { grep -qxF "$1" <<<"$module"; }
bad=0
if [ -z "$module" ]; then echo "view/CMakeLists.txt gives the preview module no files"; bad=1; fi
for file in $(git ls-files 'app/*' 'edit/*' 'view/*' 'windows/*' | grep -E '\.(cpp|h)$'); do
  own=$(layer "$file")
  while read -r inc; do
    case $inc in
      \"*) inc=${inc//\"/}
           if [ "$(layer "$inc")" -gt "$own" ]; then echo "$file includes $inc, a layer above it"; bad=1; fi
           case $file:$inc in
             edit/pane/*:edit/HtmlHighlighter*|edit/HtmlHighlighter*:edit/pane/*)
               echo "$file includes $inc: the pane and the colouring meet only through edit/core/"; bad=1 ;;
           esac
           if in_module "$inc" && ! in_module "$file"; then
             echo "$file includes $inc, the preview module's: it is reached through view/PreviewEngine.h"; bad=1
           fi ;;
      \<Q*) inc=${inc#<}; inc=${inc%>}
           case $inc in
             QWebEngine*|QtWebEngine*|QQuick*|QtQuick*)
               if ! in_module "$file"; then
                 echo "$file includes <$inc>: only the preview module links the browser engine"; bad=1
               fi ;;
           esac
           if [ "$own" = 0 ] && [ ! -e "$qt/QtCore/$inc" ] && [ ! -e "$qt/QtGui/$inc" ]; then
             echo "$file includes <$inc>, which is neither Qt Core nor Qt Gui"; bad=1
           fi ;;
    esac
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*\([<"][^>"]*[>"]\).*/\1/p' "$file")
  if [ "$own" = 0 ] && ! grep -qw "$(basename "$file")" "$(dirname "$file")/CMakeLists.txt"; then
    echo "$file is not listed in $(dirname "$file")/CMakeLists.txt"; bad=1
  fi
done
[ "$bad" = 0 ] && echo "includes: one way"
exit "$bad"
