#!/usr/bin/env bash
# Adds Dustvale to the desktop's applications menu and to log-in, for the current user, the
# freedesktop way; or takes it out again. Both say what they wrote or removed and can be run
# again. scripts/run.sh --install and --uninstall call it (the first after setting Dustvale up in
# its Wine prefix).
#
#   install.sh              writes the launcher (a copy of scripts/launch.sh and its helpers,
#                           beside the prefix, so that the entries outlive this checkout), the
#                           program's icon in the hicolor theme, the menu entry, and the log-in
#                           entry, which starts Dustvale only while its "Start with Windows" box
#                           is ticked
#   install.sh --uninstall  removes all of these; the Wine prefix, the program and its settings
#                           stay
#
# Follows XDG_DATA_HOME (default ~/.local/share) and XDG_CONFIG_HOME (default ~/.config).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
uninstall=false
case "${1:-}" in
  "") ;;
  --uninstall) uninstall=true ;;
  *) echo "usage: $0 [--uninstall]" >&2; exit 2 ;;
esac

data_home="${XDG_DATA_HOME:-$HOME/.local/share}"
config_home="${XDG_CONFIG_HOME:-$HOME/.config}"
launcher_dir="$data_home/dustvale/launcher"
launcher_files=(launch.sh wine.py system_tray.py run_value.py)
menu_entry="$data_home/applications/dustvale.desktop"
login_entry="$config_home/autostart/dustvale.desktop"
icon_sizes=(16 32 48)
icon_path() { echo "$data_home/icons/hicolor/${1}x${1}/apps/dustvale.png"; }

say() { echo "install: $*"; }

if $uninstall; then
  removed=0
  for file in "$login_entry" "$menu_entry"; do
    if [ -e "$file" ]; then rm -f "$file"; say "removed $file"; removed=$((removed + 1)); fi
  done
  for size in "${icon_sizes[@]}"; do
    file=$(icon_path "$size")
    if [ -e "$file" ]; then rm -f "$file"; say "removed $file"; removed=$((removed + 1)); fi
  done
  if [ -d "$launcher_dir" ]; then
    rm -rf "$launcher_dir"; say "removed $launcher_dir"; removed=$((removed + 1))
  fi
  [ "$removed" -eq 0 ] && say "nothing to remove: Dustvale is not in the menu nor started at log-in"
  say "the Wine prefix $data_home/dustvale/wineprefix-x64 (with Dustvale and its settings) stays;" \
      "remove it by hand if you no longer want it"
  exit 0
fi

# An argument of a desktop entry's Exec key: quoted, with the quoting rule's escapes, then the
# string type's own escape of the backslash, and % doubled (as freedesktop.org's desktop entry
# format says).
exec_argument() {
  local text=$1
  text=${text//\\/\\\\}
  text=${text//\"/\\\"}
  text=${text//\`/\\\`}
  text=${text//\$/\\\$}
  text=${text//\\/\\\\}
  text=${text//%/%%}
  printf '"%s"' "$text"
}

# Writes stdin to the file through a temporary file beside it, so a reader never sees half of it.
write_file() {
  local file=$1 mode=$2
  mkdir -p "$(dirname "$file")"
  cat >"$file.tmp"
  chmod "$mode" "$file.tmp"
  mv -f "$file.tmp" "$file"
  say "wrote $file"
}

for name in "${launcher_files[@]}"; do
  write_file "$launcher_dir/$name" 755 <"$repo/scripts/$name"
done
for size in "${icon_sizes[@]}"; do
  write_file "$(icon_path "$size")" 644 <"$repo/res/dustvale-$size.png"
done

launcher=$(exec_argument "$launcher_dir/launch.sh")
write_file "$menu_entry" 644 <<EOF
[Desktop Entry]
Type=Application
Name=Dustvale
GenericName=Recycle Bin in the tray
Comment=Shows how full your Trash is in the system tray, and empties it
Icon=dustvale
Exec=$launcher
Terminal=false
Categories=Utility;
EOF
write_file "$login_entry" 644 <<EOF
[Desktop Entry]
Type=Application
Name=Dustvale
Comment=Starts Dustvale at log-in while its "Start with Windows" box is ticked
Icon=dustvale
Exec=$launcher --at-login
Terminal=false
NoDisplay=true
EOF
say "Dustvale is in the applications menu; at log-in it starts while \"Start with Windows\"" \
    "is ticked in its Options"
