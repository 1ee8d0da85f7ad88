# The opening the Wine test scripts share: their two arguments, WINE and the
# Windows program, checked and taken as $wine and $exe. Sourced with the
# script's own arguments: . "$(dirname "$0")/../support/wine_script_args.sh" "$@"
if [ "$#" -ne 2 ]; then
  echo "usage: $0 WINE BLKCOPY_EXE" >&2
  exit 2
fi
wine=$1
exe=$(realpath "$2")
