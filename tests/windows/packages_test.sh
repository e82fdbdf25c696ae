#!/usr/bin/env bash
# The Windows packages under Wine.  The setup program, silently, for the
# current user: the program's files, a settings file that is the shipped
# sample with the server folder and the waiting time put in, a Start menu
# shortcut that starts Quillet in that file's folder, the entry in the list
# of programs; Quillet started as the shortcut starts it makes a Grep run
# against the stand-ins; a second installation leaves the user's changed
# settings file alone; the uninstaller leaves nothing but the user's files.
# For all users: Program Files, the machine's list, a shortcut that starts
# in each user's own folder.
# The portable zip: its quillet.exe starts with its quillet.ini beside it.
#   packages_test.sh SETUP_EXE ZIP QUILLET_EXE WIN_PROBE_EXE SOURCE_DIR,
#   with DISPLAY, WINEPREFIX and QUILLET_WIN_STANDIN
source "$5/tests/e2e/lib.sh" "$3" true "$5"
source "$5/tests/windows/wine_lib.sh" "$4"
SETUP=$1 ZIP=$2
[ -f "$SETUP" ] && [ -f "$ZIP" ] || { fail "no packages: scripts/package-windows.sh makes them"; finish; }
version=${SETUP##*/quillet-}; version=${version%-setup.exe}

win_env() { wine cmd /c echo "%$1%" | tr -d '\r'; }
unix() { winepath -u "$1" 2>/dev/null; }
local_win=$(win_env LOCALAPPDATA)
program_win="$local_win\\Programs\\Quillet"
settings_win="$local_win\\Quillet"
program_dir=$(unix "$program_win") settings=$(unix "$settings_win")
menu_link="$(win_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Quillet.lnk"
desktop_link="$(win_env USERPROFILE)\\Desktop\\Quillet.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillet'
# The entry's command as the system runs it, from a batch file (Wine would
# quote its quotes on a command line).  The uninstaller runs on in a copy
# of itself and returns at once: done when the program's folder is gone.
uninstall() { # uninstall, with $uninstall and $program_dir
  printf '%s\r\n' "$uninstall" > "$WORK/uninstall.bat"
  wine cmd /c "$(winepath -w "$WORK/uninstall.bat")" >/dev/null 2>&1
  for _ in $(seq 1 100); do [ -e "$program_dir" ] || break; sleep 0.2; done
}
reg_value() { wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"; }

mkdir "$WORK/zip" && (cd "$WORK/zip" && cmake -E tar xf "$ZIP")
portable=$WORK/zip/quillet-$version
check "the zip holds quillet.exe, README.txt and quillet.ini in quillet-$version" \
  test -f "$portable/quillet.exe" -a -f "$portable/README.txt" -a -f "$portable/quillet.ini"

# The server folder with a trailing backslash, which the setup drops.
wine "$SETUP" /S "/HAMDIR=$STANDIN_WIN\\" /WAITFORSYS=2
check "the installed quillet.exe is the one built" cmp -s "$program_dir/quillet.exe" "$QUILLET"
check "the README and the sample are installed beside it" \
  cmp -s "$program_dir/README.txt" "$portable/README.txt"
check "the sample is the zip's quillet.ini" cmp -s "$program_dir/quillet-sample.ini" "$portable/quillet.ini"
expected=$(sed "s|^HamDir=.*|HamDir=${STANDIN_WIN//\\/\\\\}\r|;s|^WaitForSys=.*|WaitForSys=2\r|" \
           "$portable/quillet.ini")
check "the settings file is the sample with the server folder and the waiting time" \
  test "$(cat "$settings/quillet.ini")" = "$expected"
check "the Start menu shortcut starts quillet.exe in the settings folder" \
  test "$(probe link "$menu_link")" = "$program_win\\quillet.exe"$'\n'"$settings_win"
check "no desktop shortcut unless asked" test -z "$(probe link "$desktop_link")"
check "the entry in the list of programs names Quillet $version and its publisher" test \
  "$(reg_value DisplayName)|$(reg_value DisplayVersion)|$(reg_value Publisher)" = "Quillet|$version|Quillet maintainers"
check "the entry's icon is quillet.exe's" test "$(reg_value DisplayIcon)" = "\"$program_win\\quillet.exe\",0"
size=$(reg_value EstimatedSize)
check "the entry's size is that of the files in KB ($size)" \
  test "$((size))" -ge "$(( $(du -sk "$program_dir" | cut -f1) * 9 / 10 ))"
uninstall=$(reg_value QuietUninstallString)
check "the entry uninstalls, also quietly" test "$(reg_value UninstallString) /S" = "$uninstall" \
  -a "${uninstall%%\" *}" = "\"$program_win\\uninstall.exe"

start_quillet "$settings" "$program_dir/quillet.exe"
if wait_main_window; then
  do_it; wait_run
  expect_line "Grep" 'grep "From:.*Ivo Marrek" "de\.alt\.admin"'
  check "ham.txt is written into the settings folder" test "$(wc -l < "$settings/ham.txt")" = 2
  wine taskkill /im quillet.exe >/dev/null 2>&1
  check "the installed Quillet ends" wait_exit
  check "closing saved the three fields into the settings file" grep -q '^\[ScoreView\]' "$settings/quillet.ini"
else
  fail "no main window of the installed Quillet"
fi

# The user's own changes survive a second installation with other values.
sed -i 's/^WaitForSys=.*/WaitForSys=5\r/' "$settings/quillet.ini" && echo '; mine' >> "$settings/quillet.ini"
cp "$settings/quillet.ini" "$WORK/mine.ini"
wine "$SETUP" /S '/HAMDIR=C:\Elsewhere' /WAITFORSYS=9 /DESKTOP
check "a second installation leaves the user's quillet.ini as it was" cmp -s "$settings/quillet.ini" "$WORK/mine.ini"
check "the desktop shortcut, when asked for, starts in the settings folder too" \
  test "$(probe link "$desktop_link" | tail -n 1)" = "$settings_win"

uninstall
check "the program's folder is gone" test ! -e "$program_dir"
check "the shortcuts are gone" test -z "$(probe link "$menu_link")$(probe link "$desktop_link")"
check "the entry in the list of programs is gone" test -z "$(reg_value DisplayName)"
check "the user's quillet.ini and ham.txt stay, and nothing else" \
  test "$(ls "$settings" | tr '\n' ' ')" = "ham.txt quillet.ini "
check "the user's quillet.ini is untouched" cmp -s "$settings/quillet.ini" "$WORK/mine.ini"

# For all users (Wine's user is an administrator): the program in Program
# Files, its entry in the machine's list, and a shortcut for everyone that
# the shell starts in each user's own settings folder.
wine "$SETUP" /S /AllUsers
key=${key/HKCU/HKLM}
program_win="$(win_env ProgramFiles)\\Quillet" program_dir=$(unix "$(win_env ProgramFiles)\\Quillet")
check "for all users the program goes to Program Files, its entry to the machine's list" \
  test -f "$program_dir/quillet.exe" -a "$(reg_value InstallLocation)" = "$program_win"
menu_link="$(win_env ProgramData)\\Microsoft\\Windows\\Start Menu\\Programs\\Quillet.lnk"
check "the shortcut for everyone starts in the user's own settings folder" \
  test "$(probe link "$menu_link" | tail -n 1)" = '%LOCALAPPDATA%\Quillet'
wine start "$menu_link"
check "started through it, Quillet finds the user's quillet.ini" wait_main_window
wine taskkill /im quillet.exe >/dev/null 2>&1
for _ in $(seq 1 50); do wine "$PROBE" origin >/dev/null 2>&1 || break; sleep 0.1; done
uninstall=$(reg_value QuietUninstallString)
uninstall
check "uninstalled for all users, nothing of the program is left" \
  test ! -e "$program_dir" -a -z "$(reg_value DisplayName)$(probe link "$menu_link")"

start_quillet "$portable" "$portable/quillet.exe"
check "the zip's quillet.exe starts with its quillet.ini beside it" wait_main_window
wine taskkill /im quillet.exe >/dev/null 2>&1; wait_exit
finish
